// SPDX-License-Identifier: GPL-3.0-or-later
// The tests of one layer are one program; "--unit=test_DbfTable" runs only the
// tests written in test_DbfTable.cpp, so each test file is still run, named and
// reported on its own.
#pragma once

namespace testsupport {

// Takes "--unit=<file name without .cpp>" out of the arguments and keeps only that
// file's tests. Call after ::testing::InitGoogleTest. Returns false, having said
// why, when the file has no tests or a test filter was given as well.
bool selectTestUnit(int &argc, char **argv);

} // namespace testsupport
