#include "export/line_reader.h"

#include <algorithm>
#include <cstring>

bool LineReader::Fill() {
  if (eof_) return false;
  end_ = std::fread(buffer_, 1, sizeof buffer_, file_);
  begin_ = 0;
  if (end_ == 0) {
    eof_ = true;
    failed_ = std::ferror(file_) != 0;
    return false;
  }
  return true;
}

bool LineReader::Next(std::string& line, bool& overlong) {
  line.clear();
  overlong = false;
  ended_ = false;
  bool any = false;
  for (;;) {
    if (begin_ == end_ && !Fill()) break;
    any = true;
    const char* start = buffer_ + begin_;
    const auto* lf = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
    const std::size_t length = lf ? static_cast<std::size_t>(lf - start) : end_ - begin_;
    const std::size_t room = kMaxLineLength + 1 - std::min(line.size(), kMaxLineLength + 1);
    line.append(start, std::min(length, room));
    begin_ += length;
    consumed_ += length;
    if (lf) {
      ++begin_;
      ++consumed_;
      ended_ = true;
      break;
    }
  }
  if (!any) return false;
  if (line.size() > kMaxLineLength) {
    overlong = true;
    line.resize(kMaxLineLength);
  }
  if (!overlong && !line.empty() && line.back() == '\r') line.pop_back();
  return true;
}
