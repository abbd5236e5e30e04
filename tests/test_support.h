// Readable names for table-driven test cases: the case's own name with
// every character that GoogleTest does not accept turned into '_'.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

struct CaseNameFromField {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    std::string name;
    for (const char* p = info.param.name; *p != '\0'; ++p)
      name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
  }
};
