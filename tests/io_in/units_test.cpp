// DDINP on numbered units, and dd_write / dd_read: records consumed one per
// value, in argument order, from files the tests write themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "io_in_util.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDComplex;
using dd::DDReal;
using dd::test::same_words;

constexpr int kUnit = 17;

class unit_files : public testing::Test {
 protected:
  void TearDown() override {
    dd::unbind_unit(kUnit);
    std::filesystem::remove(path_);
  }
  void write_file(const std::string& content) {
    std::ofstream(path_, std::ios::binary) << content;
    ASSERT_TRUE(dd::bind_unit(kUnit, path_.string(), dd::unit_mode::read));
  }
  std::vector<std::string> lines() {
    std::ifstream in(path_);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
  }
  std::filesystem::path path_ = std::filesystem::temp_directory_path() /
                                ("dd_io_in_" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) + "_" +
                                 testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(unit_files, one_record_per_read_until_end_of_file) {
  std::string longline = "3";
  longline.resize(120, ' ');
  longline += "99999 trailing text beyond the field";
  write_file("1.5\n  -2.25e1\r\n" + longline + "\n\n4");
  DDReal a, b, c, d, e;
  dd::DDINP(kUnit, a);
  dd::DDINP(kUnit, b);  // a CRLF line end is a line end
  dd::DDINP(kUnit, c);  // only the first 120 characters of a long record
  dd::DDINP(kUnit, d);  // an empty record is zero
  dd::DDINP(kUnit, e);  // the last record needs no newline
  EXPECT_TRUE(same_words(a, DDReal(1.5, 0.0)));
  EXPECT_TRUE(same_words(b, DDReal(-22.5, 0.0)));
  EXPECT_TRUE(same_words(c, DDReal(3.0, 0.0)));
  EXPECT_EQ(d.hi, 0.0);
  EXPECT_TRUE(same_words(e, DDReal(4.0, 0.0)));
  EXPECT_DD_STOP(dd::DDINP(kUnit, a), "*** DDINP: End-of-file encountered.");
}

TEST_F(unit_files, syntax_error_in_a_record_stops_and_the_unit_reads_on) {
  write_file("1.5 e3\n2.5\n");
  DDReal a;
  EXPECT_DD_STOP(dd::DDINP(kUnit, a), "*** DDINPC: Syntax error in literal string.");
  dd::DDINP(kUnit, a);
  EXPECT_EQ(a.hi, 2.5);
}

// Threads sharing a unit get whole records: each value read once, each line written whole.
TEST_F(unit_files, threads_share_a_unit_record_by_record) {
  constexpr int kThreads = 4, kEach = 200;
  std::string text;
  for (int k = 0; k < kThreads * kEach; ++k) text += std::to_string(k) + "\n";
  write_file(text);
  std::vector<std::vector<int>> got(kThreads);
  std::vector<std::thread> pool;
  for (int t = 0; t < kThreads; ++t)
    pool.emplace_back([&got, t] {
      for (int k = 0; k < kEach; ++k) {
        DDReal a;
        dd::DDINP(kUnit, a);
        got[t].push_back(static_cast<int>(a.hi));
      }
    });
  for (auto& th : pool) th.join();
  std::vector<int> all;
  for (const auto& g : got) all.insert(all.end(), g.begin(), g.end());
  std::sort(all.begin(), all.end());
  for (int k = 0; k < kThreads * kEach; ++k) ASSERT_EQ(all[k], k);

  pool.clear();
  ASSERT_TRUE(dd::bind_unit(kUnit, path_.string(), dd::unit_mode::write));
  for (int t = 0; t < kThreads; ++t)
    pool.emplace_back([t] {
      for (int k = 0; k < kEach; ++k) dd::dd_write(kUnit, 45, 35, DDReal(t + 1.0) / 3.0);
    });
  for (auto& th : pool) th.join();
  dd::unbind_unit(kUnit);
  const std::vector<std::string> rec = lines();
  ASSERT_EQ(rec.size(), static_cast<std::size_t>(kThreads * kEach));
  for (const std::string& r : rec) ASSERT_TRUE(r.size() == 45 && r[1] == '.' && r[36] == 'e') << r;
}

TEST_F(unit_files, units_not_bound_for_reading_stop) {
  DDReal a;
  EXPECT_DD_STOP(dd::DDINP(kUnit, a), "*** DDINP: Unit 17 is not bound for reading.");
  EXPECT_DD_STOP(dd::DDINP(6, a), "*** DDINP: Unit 6 is not bound for reading.");
  EXPECT_DD_STOP(dd::DDINP(-1, a), "*** DDINP: Unit -1 is not bound for reading.");
  ASSERT_TRUE(dd::bind_unit(kUnit, path_.string(), dd::unit_mode::write));
  EXPECT_DD_STOP(dd::DDINP(kUnit, a), "*** DDINP: Unit 17 is not bound for reading.");
  EXPECT_FALSE(dd::bind_unit(kUnit, (path_ / "no" / "such").string(), dd::unit_mode::read));
  EXPECT_DD_STOP(dd::DDINP(kUnit, a), "*** DDINP: Unit 17 is not bound for reading.");
}

TEST_F(unit_files, dd_read_fills_arguments_in_order) {
  write_file("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n");
  DDReal a, b;
  dd::dd_read(kUnit, a, b);
  EXPECT_EQ(a.hi, 1.0);
  EXPECT_EQ(b.hi, 2.0);
  DDComplex z1, z2, z3;
  dd::dd_read(kUnit, z1, z2, z3);  // two records each, real part first
  EXPECT_EQ(z1.re.hi, 3.0);
  EXPECT_EQ(z1.im.hi, 4.0);
  EXPECT_EQ(z2.re.hi, 5.0);
  EXPECT_EQ(z2.im.hi, 6.0);
  EXPECT_EQ(z3.re.hi, 7.0);
  EXPECT_EQ(z3.im.hi, 8.0);
  DDReal c, d, e, f;
  dd::dd_read(kUnit, c, d, e);
  EXPECT_EQ(e.hi, 11.0);
  EXPECT_DD_STOP(dd::dd_read(kUnit, f), "*** DDINP: End-of-file encountered.");
}

TEST_F(unit_files, dd_write_then_dd_read_round_trip) {
  ASSERT_TRUE(dd::bind_unit(kUnit, path_.string(), dd::unit_mode::write));
  const DDComplex z1{dd::to_ddreal("1.25"), dd::to_ddreal("-2.5")};
  const DDComplex z2{dd::pi(), dd::to_ddreal("1e-200")};
  const DDComplex z3{dd::to_ddreal("3"), dd::to_ddreal("-0.1")};
  dd::dd_write(kUnit, 45, 35, z1, z2, z3);
  dd::dd_write(kUnit, 45, 35, dd::pi(), dd::ln2());
  dd::unbind_unit(kUnit);

  const std::vector<std::string> rec = lines();
  ASSERT_EQ(rec.size(), 8u);  // six records for three complex values, then two
  for (const std::string& r : rec) EXPECT_EQ(r.size(), 45u);
  EXPECT_EQ(rec[0].substr(0, 8), "1.250000");
  EXPECT_EQ(rec[1].substr(0, 9), "-2.500000");
  EXPECT_EQ(rec[2].substr(0, 8), "3.141592");
  EXPECT_EQ(rec[3].substr(0, 8), "1.000000");
  EXPECT_EQ(rec[6].substr(0, 8), "3.141592");
  EXPECT_EQ(rec[7].substr(0, 8), "6.931471");

  ASSERT_TRUE(dd::bind_unit(kUnit, path_.string(), dd::unit_mode::read));
  DDComplex w1, w2, w3;
  DDReal p, l;
  dd::dd_read(kUnit, w1, w2, w3);
  dd::dd_read(kUnit, p, l);
  const auto close = [](const DDReal& got, const DDReal& want) {
    dd::test::Mp w(want);
    return dd::test::rel_error(got, w) <= 0x1p-104;
  };
  EXPECT_TRUE(close(w1.re, z1.re) && close(w1.im, z1.im));
  EXPECT_TRUE(close(w2.re, z2.re) && close(w2.im, z2.im));
  EXPECT_TRUE(close(w3.re, z3.re) && close(w3.im, z3.im));
  EXPECT_TRUE(close(p, dd::pi()) && close(l, dd::ln2()));
}

}  // namespace
