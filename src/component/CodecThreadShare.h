// How many threads each codec of a task gets when several tasks convert at once.
//
// A decoder or encoder left to choose takes a thread per core (and more), which suits a task that
// runs alone. Tasks that run side by side already keep the cores busy; their codecs' own threads
// then only take turns on the same cores, and the hand-overs between them cost CPU time that the
// tasks could have used (a fifth of it for short, small clips). So each of them gets an equal
// share of the cores instead.
#pragma once

namespace velmora {

// Codec threads for each of `tasksAtOnce` tasks on `cores` cores: 0 (automatic) for a task that
// runs alone or when the cores are unknown, else cores / tasksAtOnce and at least 1.
int CodecThreadsPerTask(int tasksAtOnce, int cores);

// The cores this process may run on (its affinity mask), at least 1.
int AvailableCores();

}  // namespace velmora
