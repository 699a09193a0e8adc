#include "replayrule.h"

#include "musicplayer.h"

void replayIfStopped(MusicPlayer &player)
{
    if (player.playState() == MusicPlayer::Stopped)
        player.play();
}
