#pragma once

// Chooses Qt Multimedia's GStreamer backend unless QT_MEDIA_BACKEND already names one. Must be
// called before the application object is made.
void chooseMediaBackend();
