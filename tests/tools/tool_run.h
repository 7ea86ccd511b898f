#pragma once
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/level/level_test_support.h"

// A content tool run as an author runs it, from a shell, with what it
// printed on each stream.
struct ToolRun {
  int status = -1;
  std::string out, err;
};

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline ToolRun RunTool(const std::string& command) {
  TempDir streams;
  ToolRun run;
  int raw = std::system((command + " >" + streams.File("out") + " 2>" + streams.File("err")).c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = Slurp(streams.File("out"));
  run.err = Slurp(streams.File("err"));
  return run;
}

inline bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}
