#pragma once

// Reads a data file line by line in a small buffer: 8-bit lines ended by
// LF, a CR before the LF dropped. Memory stays flat whatever the file's size:
// a line longer than kMaxLineLength is not kept, only marked.

#include <cstdio>
#include <string>

inline constexpr std::size_t kMaxLineLength = 4096;

class LineReader {
 public:
  explicit LineReader(std::FILE* file) : file_(file) {}

  // The next line into `line`; false at the end of the file or on a read
  // error (see Failed). `overlong` tells that the line was cut short.
  bool Next(std::string& line, bool& overlong);
  bool Failed() const { return failed_; }
  // Whether the line Next gave last ended with a LF (a line still being
  // written does not), and the bytes read up to its end, LF included.
  bool LineEnded() const { return ended_; }
  unsigned long long Consumed() const { return consumed_; }

 private:
  bool Fill();

  std::FILE* file_;
  char buffer_[64 * 1024];
  std::size_t begin_ = 0, end_ = 0;
  bool eof_ = false, failed_ = false, ended_ = false;
  unsigned long long consumed_ = 0;
};
