// The test program as a user runs it: its whole transcript against the
// committed one (only the CPU-time values may differ) and its exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> split_lines(const std::string& s) {
  std::vector<std::string> v;
  std::size_t p = 0;
  for (std::size_t q; (q = s.find('\n', p)) != std::string::npos; p = q + 1) v.push_back(s.substr(p, q - p));
  if (p < s.size()) v.push_back(s.substr(p));  // an unterminated last line shows up as a difference
  return v;
}

TEST(pslqm1_test_program, transcript_and_exit_status) {
  std::ifstream golden_file(std::string(DD_SOURCE_DIR) + "/tests/app/data/pslqm1_test.out");
  ASSERT_TRUE(golden_file) << "missing tests/app/data/pslqm1_test.out";
  std::stringstream golden;
  golden << golden_file.rdbuf();
  const std::vector<std::string> want = split_lines(golden.str());

  FILE* p = popen(DD_PSLQM1_TEST_EXE, "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  for (std::size_t k; (k = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, k);
  const int status = pclose(p);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), '\n');

  const std::vector<std::string> got = split_lines(out);
  ASSERT_EQ(got.size(), want.size()) << out;
  // The two CPU-time lines: "CPU times:" is followed by two f12.2 values, and
  // "CPU Time =" carries one f12.4 value.
  const std::regex two_times(R"([ 0-9]{8}\d\.\d\d[ 0-9]{8}\d\.\d\d)");
  const std::regex one_time(R"(CPU Time =[ 0-9]{6}\d\.\d{4})");
  int matched = 0;
  for (std::size_t i = 0; i < want.size(); ++i) {
    if (i > 0 && want[i - 1] == "CPU times:") {
      EXPECT_TRUE(std::regex_match(got[i], two_times)) << "line " << i + 1 << ": " << got[i];
      ++matched;
    } else if (want[i].rfind("CPU Time =", 0) == 0) {
      EXPECT_TRUE(std::regex_match(got[i], one_time)) << "line " << i + 1 << ": " << got[i];
      ++matched;
    } else {
      EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
    }
  }
  EXPECT_EQ(matched, 2);
  EXPECT_EQ(got.back(), "TEST PASSED");
}

}  // namespace
