// The intro movies played before the first game module is loaded.
#pragma once

// Plays, one after the other, the movies named in the movie list file.
void PlayMovieList(const char* listFileName);
