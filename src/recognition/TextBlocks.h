#pragma once
// Grouping the marks of print in a cell into runs of text: the pieces of one character, and
// characters set close together, make one block; what stands further apart (a note, the
// date's 年 月 日 after their blanks) makes blocks of its own.

#include "recognition/CellFinder.h"

#include <opencv2/core.hpp>

#include <vector>

namespace dorvane {

// The blocks of print in a black-and-white mask (print non-zero), in the mask's coordinates,
// top-left first. Marks smaller than leastMark samples are noise.
std::vector<TextBlock> FindTextBlocks(const cv::Mat& print, int leastMark);

} // namespace dorvane
