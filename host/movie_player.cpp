#include "host/movie_player.h"

// No movie is played yet: the list is accepted and nothing is shown.
void PlayMovieList(const char*) {}
