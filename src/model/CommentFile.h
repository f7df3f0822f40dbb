// The comment file beside an ensemble file, and how its text is encoded: the
// memo's lines separated by CR LF, no line break after the last, UTF-8 when
// written. Old files in a single-byte code page still load without losing a
// byte. Failures throw Error with the user's text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vorun {

// Each operation takes the working name of the ensemble (FileName) whose
// comment it reads or writes.

// Beside the ensemble file: a name ending in ".tvx" (in any case) with that
// replaced by ".txt" (ring.tvx -> ring.txt), any other name with ".txt"
// appended (notes.txt -> notes.txt.txt, /data/abc -> /data/abc.txt); the
// spiral's working name ThetraSpiral gives ThetraSp.txt. A comment file that
// is the ensemble file itself (through a link) is neither loaded nor saved.
std::string CommentFileName(const std::string& fileName);

// The largest comment file that is loaded. A memo of more text is no comment
// anyone wrote, and a file that never ends must not fill the memory.
constexpr std::size_t MaxCommentBytes = std::size_t{16} << 20;

// The text of the comment file, lines separated by CR LF, or nothing when no
// comment file can be opened (missing, unreadable, or not a regular file). A
// file of more than MaxCommentBytes throws an Error that says so.
std::optional<std::string> LoadComment(const std::string& fileName);

// Writes the memo's text, encoded by EncodeComment, as the whole comment file.
void SaveComment(const std::string& fileName, const std::string& text);

// The bytes of a comment file as the memo's text: UTF-8 as it is, anything
// else taken as Windows-1252, so every byte of an old file shows as some
// character; then every line break (CR LF, CR or LF) as CR LF.
std::string DecodeComment(const std::string& bytes);

// The memo's text as the bytes of a comment file: any line break as CR LF.
std::string EncodeComment(const std::string& text);

}  // namespace vorun
