// The intro movies played before the first game module is loaded.
//
// Each movie plays through a DirectShow filter graph, full screen, until it
// ends or the player presses Enter, Escape or Space or clicks a mouse button.
// A failure of the media framework is shown in a message box ("MoviePlayer
// Error") and skips the movie; nothing stops start-up.
#pragma once

// Plays, one after the other, the movies named in the movie list file:
// sections Movie001, Movie002, ... up to the first missing one, each with the
// movie's file name as Name. Names that are not plain files are skipped.
void PlayMovieList(const char* listFileName);

// Plays one movie (a null instance stands for this program's own). 0 when it
// played to its end, 1 when the user stopped it, E_POINTER for a null name,
// E_FAIL when its window cannot be made, otherwise the failing HRESULT.
long PlayMovie(const char* fileName, void* instance);

// ---- Test seam ------------------------------------------------------------------
// What a test sees of the movies while they play; the product installs none.
// Every call comes on the playing thread.
struct MoviePlayerWatch {
    void* context;
    // The hidden window that receives the movie's keys and clicks, just made.
    void (*drainWindowMade)(void* context, void* window);
    // Each event of the filter graph, as the event loop takes it.
    void (*graphEvent)(void* context, long code);
    // A key or click stopped the movie.
    void (*userStopped)(void* context);
    // A movie has ended with this result (not called for a null name).
    void (*movieEnded)(void* context, const char* fileName, long result);
};

// Installs (or with null removes) the watch; it is copied.
void MoviePlayerSetWatch(const MoviePlayerWatch* watch);
