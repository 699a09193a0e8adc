#pragma once

class MusicPlayer;

// The rule that keeps the music going: whenever the player is found stopped (the music has
// played to its end, or its stop button was pressed), it is told to play again. Any other state,
// a pause among them, is left as it is. Nothing is counted or delayed.
void replayIfStopped(MusicPlayer &player);
