#pragma once

#include "samples.h"

// The plant list's type-to-find, measured in this process in CPU time of this thread: building
// its index from the plant table and the readings (once as the first key in the list does, then
// again), and searching for each of a set of typical texts.
struct SearchCost
{
    double firstBuildUs = 0;
    Samples buildUs; // the later builds
    Samples searchUs; // per text, the mean of many searches
    int rows = 0;
};

SearchCost measureSearch();
