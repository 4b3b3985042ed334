// Member-by-member comparison of two settings records for the tests.
#pragma once
#include <string>
#include <vector>

#include "SfxSettings.h"

// The names of the members that differ (texts compared up to their NUL,
// item tables over their counted slots).
std::vector<std::string> DifferingMembers(const CSfxSettings& a, const CSfxSettings& b);
