// A CSV file of a run as it grows: plain text, or gzip when its name ends in
// ".gz". Behind it is the safe replace of a file, so the target changes only
// at the commit or at a checkpoint. At a checkpoint a gzip file closes its
// member and starts the next, so that the bytes up to there are a whole
// gzip file and a resumed run that goes on from them writes the very bytes
// of a run that never stopped.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/FileAccess.h"

namespace vorun::run {

bool IsGzipName(const std::string& name);

class CsvFile {
 public:
  CsvFile(const std::string& target, std::size_t bufferBytes);
  ~CsvFile();
  CsvFile(const CsvFile&) = delete;
  CsvFile& operator=(const CsvFile&) = delete;

  // Text of the CSV, compressed when the file is gzip.
  void Write(std::string_view text);
  // Bytes of the file as they are, for the part that a resumed run takes
  // over from the file of the run before.
  void WriteRaw(std::string_view bytes);

  void Publish();
  void Finish();
  void Commit();

  // The file's bytes so far (compressed ones for gzip).
  std::uint64_t Size() const { return file_.Size(); }

 private:
  void Deflate(int flush);
  void EndMember();

  FileReplacement file_;
  std::unique_ptr<z_stream> zip_;
  bool pending_ = false;  // text went in since the member began
};

}  // namespace vorun::run
