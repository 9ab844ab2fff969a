#include "export/csv_sheets.h"

#include <cerrno>
#include <cstdio>
#include <span>

#include "export/cell_values.h"
#include "export/file_names.h"
#include "export/target_file.h"
#include "text/clock.h"

namespace {

std::string TimeText(const std::optional<double>& time) {
  if (!time) return {};
  const int minutes = static_cast<int>(*time * 1440 + 0.5);
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60 % 24, minutes % 60);
  return text;
}

// Quoted when it holds the separator, a quote or a line end.
std::string Field(const std::string& text) {
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

// One .csv being written under its temporary name.
class CsvFile {
 public:
  CsvFile(std::string target, std::span<const char* const> heads) : target_(std::move(target)), heads_(heads) {}
  CsvFile(const CsvFile&) = delete;
  CsvFile& operator=(const CsvFile&) = delete;
  ~CsvFile() {
    if (file_) std::fclose(file_);
    if (!temporary_.empty() && !placed_) std::remove(temporary_.c_str());
  }

  // Nothing, or the reason it cannot be written.
  std::optional<std::string> Open() {
    temporary_ = TemporaryBeside(target_);
    file_ = std::fopen(temporary_.c_str(), "wb");
    if (!file_) {
      const int error = errno;
      temporary_.clear();
      return CannotWrite(target_, ErrnoReason(error));
    }
    std::string head = "\xEF\xBB\xBF";
    for (std::size_t c = 0; c < heads_.size(); ++c) head += (c ? ";" : "") + std::string(heads_[c]);
    Row(head);
    return std::nullopt;
  }

  bool IsOpen() const { return file_ != nullptr; }

  void Row(const std::string& fields) {
    std::string line = fields + "\r\n";
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() && !error_) error_ = errno ? errno : EIO;
  }

  // Closes the temporary file; nothing, or the reason it is not complete.
  std::optional<std::string> Close() {
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed && !error_) error_ = errno ? errno : EIO;
    if (error_) return CannotWrite(target_, ErrnoReason(error_));
    return std::nullopt;
  }

  std::optional<std::string> Place() {
    auto failed = PutInPlace(temporary_, target_);
    placed_ = !failed;
    return failed;
  }

  const std::string& Target() const { return target_; }

 private:
  std::string target_;
  std::span<const char* const> heads_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  int error_ = 0;
  bool placed_ = false;
};

class CsvSheets : public SheetWriter {
 public:
  CsvSheets(const std::string& target, bool readingUnits)
      : records_(target, kRecordHeads),
        balances_(CsvCompanion(target, "bilanse"), kBalanceHeads),
        readings_(CsvCompanion(target, "odczyty"), readingUnits ? std::span<const char* const>(kReadingUnitHeads)
                                                                : std::span<const char* const>(kReadingHeads)),
        readingUnits_(readingUnits) {}

  std::optional<std::string> Open() {
    if (auto failed = records_.Open()) return failed;
    return balances_.Open();
  }

  void AddRecord(const RecordRow& row) override {
    records_.Row(IsoDay(row.day) + ';' + TimeText(row.time) + ';' + std::to_string(row.balance) + ';' +
                 std::to_string(row.number) + ';' + CommaNumber(row.mass, row.decimals) + ';' +
                 CommaNumber(row.total, row.decimals) + ';' + Field(row.unit) + ';' + Field(row.file));
  }

  void AddBalance(const BalanceRow& row) override {
    balances_.Row(IsoDay(row.day) + ';' + TimeText(row.time) + ';' + std::to_string(row.balance) + ';' +
                  std::to_string(row.weighings) + ';' + CommaNumber(row.total, row.decimals) + ';' +
                  Field(row.unit) + ';' + Field(row.file));
  }

  void AddReading(const ReadingRow& row) override {
    if (!readings_.IsOpen() && !readingsFailed_) {
      readingsFailed_ = readings_.Open();
      if (readingsFailed_) return;
    }
    if (readings_.IsOpen()) {
      const std::string units =
          readingUnits_ ? Field(row.unit) + ';' + StabilityText(row.stability) + ';' : std::string();
      readings_.Row(IsoDay(row.day) + ';' + CommaNumber(row.value, row.decimals) + ';' + units + Field(row.file));
    }
  }

  std::optional<std::string> Finish() override {
    std::vector<CsvFile*> files{&records_, &balances_};
    if (readings_.IsOpen()) files.push_back(&readings_);
    std::optional<std::string> failed = readingsFailed_;
    for (CsvFile* file : files) {
      auto closed = file->Close();
      if (!failed) failed = closed;
    }
    if (failed) return failed;
    // Each file is replaced whole; the records, which the user named, last.
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
      if (auto placeFailed = (*it)->Place()) return placeFailed;
      written_.insert(written_.begin(), (*it)->Target());
    }
    return std::nullopt;
  }

  std::vector<std::string> Written() const override { return written_; }

 private:
  CsvFile records_, balances_, readings_;
  bool readingUnits_ = false;
  std::optional<std::string> readingsFailed_;
  std::vector<std::string> written_;
};

}  // namespace

std::string CsvCompanion(const std::string& target, const std::string& tag) {
  const std::string extension = ExtensionOf(target);
  return target.substr(0, target.size() - extension.size()) + "-" + tag + extension;
}

std::unique_ptr<SheetWriter> OpenCsvSheets(const std::string& target, std::string& error,
                                           bool readingUnits) {
  auto sheets = std::make_unique<CsvSheets>(target, readingUnits);
  if (auto failed = sheets->Open()) {
    error = *failed;
    return nullptr;
  }
  return sheets;
}
