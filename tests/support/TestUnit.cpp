// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestUnit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace testsupport {

namespace {

bool definedIn(const std::string &path, const std::string &file)
{
    return path.size() >= file.size() && path.compare(path.size() - file.size(), file.size(), file) == 0
        && (path.size() == file.size() || path[path.size() - file.size() - 1] == '/');
}

} // namespace

bool selectTestUnit(int &argc, char **argv)
{
    const std::string flag = "--unit=";
    std::string unit;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(flag, 0) == 0)
            unit = arg.substr(flag.size());
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    if (unit.empty())
        return true;
    if (GTEST_FLAG_GET(filter) != "*") {
        std::fprintf(stderr, "--unit=%s and a test filter cannot be given together\n", unit.c_str());
        return false;
    }
    const std::string file = unit + ".cpp";
    std::string filter;
    const ::testing::UnitTest *all = ::testing::UnitTest::GetInstance();
    const auto add = [&filter](const std::string &pattern) { filter += (filter.empty() ? "" : ":") + pattern; };
    for (int s = 0; s < all->total_test_suite_count(); ++s) {
        const ::testing::TestSuite *suite = all->GetTestSuite(s);
        std::string mine;   // the suite's tests in the file, when not all of them are
        int count = 0;
        for (int t = 0; t < suite->total_test_count(); ++t) {
            const ::testing::TestInfo *test = suite->GetTestInfo(t);
            if (definedIn(test->file(), file)) {
                mine += std::string(mine.empty() ? "" : ":") + suite->name() + "." + test->name();
                ++count;
            }
        }
        if (count == suite->total_test_count())
            add(std::string(suite->name()) + ".*");
        else if (count > 0)
            add(mine);
    }
    if (filter.empty()) {
        std::fprintf(stderr, "no tests in %s\n", file.c_str());
        return false;
    }
    GTEST_FLAG_SET(filter, filter);
    return true;
}

} // namespace testsupport
