#include "model/CommentFile.h"

#include <sys/stat.h>

#include "model/Error.h"
#include "model/FileAccess.h"

namespace vorun {

namespace {

// U+0080..U+009F for the bytes 0x80..0x9F of Windows-1252. The five bytes it
// leaves undefined map to the C1 controls of the same number, as Windows does.
constexpr char16_t Windows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsValidUtf8(const std::string& text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned char c = *p;
    int length;
    char32_t code;
    if (c < 0x80) {
      ++p;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      code = c & 0x07;
    } else {
      return false;
    }
    if (end - p < length) return false;
    for (int i = 1; i < length; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      code = (code << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF))
      return false;
    p += length;
  }
  return true;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string FromWindows1252(const std::string& bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(text, b >= 0x80 && b < 0xA0 ? Windows1252High[b - 0x80] : char32_t{b});
  }
  return text;
}

// CR LF, a lone CR and a lone LF all become CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string DecodeComment(const std::string& bytes) {
  return WithCrLf(IsValidUtf8(bytes) ? bytes : FromWindows1252(bytes));
}

std::string EncodeComment(const std::string& text) { return WithCrLf(text); }

namespace {

bool EndsInEnsembleExtension(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return tail == ".tvx";
}

// True when both names lead to one existing file (a link, a second hard link).
bool SameFile(const std::string& a, const std::string& b) {
  struct stat x, y;
  return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
         x.st_ino == y.st_ino;
}

}  // namespace

std::string CommentFileName(const std::string& fileName) {
  // The extension of an ensemble file gives way to ".txt", as it always has,
  // so stored comment files stay found; so does the spiral's working name.
  // Any other name keeps all its characters: dropping four that are no
  // extension could name the ensemble itself ("x.txt"), or a file outside
  // its folder ("/data/abc" -> "/data.txt").
  if (EndsInEnsembleExtension(fileName)) return fileName.substr(0, fileName.size() - 4) + ".txt";
  if (fileName == "ThetraSpiral") return "ThetraSp.txt";
  return fileName + ".txt";
}

std::optional<std::string> LoadComment(const std::string& fileName) {
  const std::string name = CommentFileName(fileName);
  // A link may make the comment file the ensemble file itself: its record is
  // no comment.
  if (SameFile(name, fileName)) return std::nullopt;
  const int fd = OpenForReading(name);
  if (fd < 0) return std::nullopt;
  Descriptor file(fd);
  std::string bytes;
  if (!ReadAtMost(file, MaxCommentBytes, bytes))
    throw Error("The comment file " + name + " is larger than 16 MiB; it is not loaded.");
  return DecodeComment(bytes);
}

void SaveComment(const std::string& fileName, const std::string& text) {
  const std::string name = CommentFileName(fileName);
  if (SameFile(name, fileName))
    throw Error("The comment file " + name + " is the ensemble file itself; the comment is not saved.");
  ReplaceFile(name, EncodeComment(text));
}

}  // namespace vorun
