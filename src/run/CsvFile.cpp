#include "run/CsvFile.h"

#include <stdexcept>

#include "model/Error.h"

namespace vorun::run {

bool IsGzipName(const std::string& name) { return name.size() > 3 && name.ends_with(".gz"); }

CsvFile::CsvFile(const std::string& target, std::size_t bufferBytes) : file_(target, bufferBytes) {
  if (!IsGzipName(target)) return;
  zip_ = std::make_unique<z_stream>();
  // 16 + 15: a gzip header, with no name and no time in it, so that the
  // same rows give the same bytes on every run.
  if (deflateInit2(zip_.get(), Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    zip_.reset();
    throw std::bad_alloc();
  }
}

CsvFile::~CsvFile() {
  if (zip_) deflateEnd(zip_.get());
}

void CsvFile::Deflate(int flush) {
  char out[16384];
  do {
    zip_->next_out = reinterpret_cast<Bytef*>(out);
    zip_->avail_out = sizeof out;
    const int result = deflate(zip_.get(), flush);
    if (result == Z_STREAM_ERROR) throw Error("Compression failed");
    file_.Write(std::string_view(out, sizeof out - zip_->avail_out));
  } while (zip_->avail_out == 0 || (flush == Z_FINISH && zip_->avail_in > 0));
}

void CsvFile::Write(std::string_view text) {
  if (!zip_) {
    file_.Write(text);
    return;
  }
  if (text.empty()) return;
  zip_->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zip_->avail_in = static_cast<uInt>(text.size());
  Deflate(Z_NO_FLUSH);
  pending_ = true;
}

void CsvFile::WriteRaw(std::string_view bytes) { file_.Write(bytes); }

void CsvFile::EndMember() {
  if (!zip_ || !pending_) return;
  zip_->next_in = nullptr;
  zip_->avail_in = 0;
  Deflate(Z_FINISH);
  deflateReset(zip_.get());
  pending_ = false;
}

void CsvFile::Publish() {
  EndMember();
  file_.Publish();
}

void CsvFile::Finish() {
  EndMember();
  file_.Finish();
}

void CsvFile::Commit() {
  EndMember();
  file_.Commit();
}

}  // namespace vorun::run
