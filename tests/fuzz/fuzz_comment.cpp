// The comment decoder: any bytes as a comment file.
//
// The text it gives is UTF-8 with every line break as CR LF. UTF-8 without a
// lone CR or LF comes through unchanged; anything else loses no byte, each
// byte becoming one character. Saving the text and loading it again changes
// nothing, so a comment opened and saved is the same comment.
#include <cstdint>

#include "FuzzSupport.h"
#include "model/CommentFile.h"

namespace vorun::fuzz {
namespace {

// A strict UTF-8 check written again here: no overlong forms, no surrogates,
// nothing beyond U+10FFFF. Counts the characters.
bool Utf8(const std::string& text, std::size_t& characters) {
  characters = 0;
  for (std::size_t i = 0; i < text.size(); ++characters) {
    const auto c = static_cast<unsigned char>(text[i]);
    int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    std::uint32_t code = length == 1 ? c : c & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const auto d = static_cast<unsigned char>(text[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      code = (code << 6) | (d & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

bool OnlyCrLfBreaks(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

// CR LF pairs stay two characters; a lone CR or LF becomes two.
std::size_t LoneBreaks(const std::string& bytes) {
  std::size_t lone = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
      ++i;
    else if (bytes[i] == '\r' || bytes[i] == '\n')
      ++lone;
  }
  return lone;
}

}  // namespace
}  // namespace vorun::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vorun;
  using namespace vorun::fuzz;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = DecodeComment(bytes);

  std::size_t characters = 0;
  FUZZ_CHECK(Utf8(text, characters), "not UTF-8");
  FUZZ_CHECK(OnlyCrLfBreaks(text));
  std::size_t inputCharacters = 0;
  if (Utf8(bytes, inputCharacters)) {
    if (OnlyCrLfBreaks(bytes)) FUZZ_CHECK(text == bytes, "UTF-8 with CR LF must pass unchanged");
  } else {
    inputCharacters = bytes.size();
  }
  FUZZ_CHECK(characters == inputCharacters + LoneBreaks(bytes), "%zu characters from %zu", characters,
             inputCharacters);

  const std::string saved = EncodeComment(text);
  FUZZ_CHECK(saved == text, "saving a loaded text changes it");
  FUZZ_CHECK(DecodeComment(saved) == text, "loading a saved text changes it");
  // The memo hands its text back with LF alone; saved, it is the same file.
  std::string memo;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) memo += text[i];
  FUZZ_CHECK(EncodeComment(memo) == saved);
  return 0;
}
