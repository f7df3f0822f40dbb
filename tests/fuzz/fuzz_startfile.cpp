// The start file: any bytes as its content, and any bytes as a name to
// remember.
//
// Reading gives the first line, cut at CR, LF or PATH_MAX bytes. A name is
// either refused (a line break, or longer than a reading gives back) or
// written so that the next reading gives exactly that name.
#include <climits>
#include <cstdint>

#include "FuzzSupport.h"
#include "model/Error.h"
#include "model/StartFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorun;
  using namespace vorun::fuzz;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string StartFilePath = Folder() + "/Start.tvx2";
  std::string LastFileName;

  WriteBytes(StartFilePath, bytes);
  LastFileName = "stale";
  FUZZ_CHECK(ReadStartFile(StartFilePath, LastFileName));
  const std::string expected = bytes.substr(0, std::min<std::size_t>(bytes.find_first_of("\r\n"), PATH_MAX));
  FUZZ_CHECK(LastFileName == expected, "read %zu bytes, expected %zu", LastFileName.size(), expected.size());

  const std::string& FileName = bytes;
  const bool refusable = bytes.find_first_of("\r\n") != std::string::npos || bytes.size() > PATH_MAX;
  try {
    RememberFile(StartFilePath, FileName, LastFileName);
    FUZZ_CHECK(!refusable, "a name the start file cannot give back was written");
  } catch (const Error&) {
    FUZZ_CHECK(refusable, "a name was refused that the start file can give back");
    FUZZ_CHECK(ReadBytes(StartFilePath) == bytes, "a refused name changed the start file");
    return 0;
  }
  FUZZ_CHECK(ReadBytes(StartFilePath) == bytes);
  LastFileName.clear();
  FUZZ_CHECK(ReadStartFile(StartFilePath, LastFileName));
  FUZZ_CHECK(LastFileName == bytes, "remembered %zu bytes, read back %zu", bytes.size(), LastFileName.size());
  return 0;
}
