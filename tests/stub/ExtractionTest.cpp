#include <gtest/gtest.h>

#include <windows.h>

#include <utility>
#include <vector>

#include "Extraction.h"
#include "LastError.h"

namespace {

TEST(ExtractionRules, DecoderErrorsProgressAndNewerFileRule) {
  ERF error = {};
  EXPECT_EQ(stub::MapDecoderError(error, 7), stub::kErrorUnknown);
  error.fError = TRUE;
  const std::vector<std::pair<int, int>> table = {
      {FDIERROR_CABINET_NOT_FOUND, 3}, {FDIERROR_NOT_A_CABINET, 3},
      {FDIERROR_UNKNOWN_CABINET_VERSION, 5}, {FDIERROR_CORRUPT_CABINET, 3},
      {FDIERROR_ALLOC_FAIL, 2}, {FDIERROR_BAD_COMPR_TYPE, 4}, {FDIERROR_MDI_FAIL, 10},
      {FDIERROR_TARGET_FILE, 8}, {FDIERROR_RESERVE_MISMATCH, 10}, {FDIERROR_WRONG_CABINET, 3},
      {FDIERROR_USER_ABORT, -1}, {FDIERROR_NONE, 7}, {42, 7}};
  for (const auto& row : table) {
    error.erfOper = row.first;
    EXPECT_EQ(stub::MapDecoderError(error, 7), row.second) << row.first;
  }

  EXPECT_EQ(stub::ProgressPercentOf(1, 4), 25);
  EXPECT_EQ(stub::ProgressPercentOf(4, 4), 100);
  EXPECT_EQ(stub::ProgressPercentOf(1, 3), 33);
  EXPECT_EQ(stub::ProgressPercentOf(2, 3), 66);

  const FILETIME early = {100, 5}, late = {101, 5};
  EXPECT_TRUE(stub::ExistingFileIsCurrent(early, early));  // same time: kept
  EXPECT_TRUE(stub::ExistingFileIsCurrent(early, late));
  EXPECT_FALSE(stub::ExistingFileIsCurrent(late, early));
}

}  // namespace
