#include "export/xlsx_sheets.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>

#include "export/file_names.h"
#include "export/target_file.h"

namespace {

class XlsxSheets : public SheetWriter {
 public:
  XlsxSheets(std::string target, std::string temporary, std::string folder, bool readingUnits)
      : target_(std::move(target)), temporary_(std::move(temporary)), folder_(std::move(folder)),
        readingUnits_(readingUnits) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    // Beside the target, not in a system folder that may be small or in memory.
    options.tmpdir = folder_.data();
    book_ = workbook_new_opt(temporary_.c_str(), &options);
    if (!book_) return;
    bold_ = workbook_add_format(book_);
    format_set_bold(bold_);
    date_ = NumberFormat("yyyy-mm-dd");
    time_ = NumberFormat("hh:mm");
    std::string decimals = "0";
    for (int d = 0; d <= kMaxDecimals; ++d) {
      decimal_[static_cast<std::size_t>(d)] = NumberFormat(decimals.c_str());
      decimals += d == 0 ? ".0" : "0";
    }
    records_.heads = kRecordHeads;
    records_.name = kRecordSheet;
    balances_.heads = kBalanceHeads;
    balances_.name = kBalanceSheet;
    readings_.heads = readingUnits_ ? std::span<const char* const>(kReadingUnitHeads)
                                    : std::span<const char* const>(kReadingHeads);
    readings_.name = kReadingSheet;
    Start(records_);
    Start(balances_);
  }

  ~XlsxSheets() override {
    if (book_) {
      // Closing is the only way to free the workbook; it writes the
      // temporary file, which then goes.
      workbook_close(book_);
    }
    if (!finished_) std::remove(temporary_.c_str());
  }

  bool Opened() const { return book_ != nullptr; }

  void AddRecord(const RecordRow& row) override {
    lxw_worksheet* sheet = NextRow(records_);
    if (!sheet) return;
    const lxw_row_t r = records_.row;
    Check(worksheet_write_number(sheet, r, 0, row.day, date_));
    if (row.time) Check(worksheet_write_number(sheet, r, 1, *row.time, time_));
    Check(worksheet_write_number(sheet, r, 2, row.balance, nullptr));
    Check(worksheet_write_number(sheet, r, 3, row.number, nullptr));
    Check(worksheet_write_number(sheet, r, 4, row.mass, Decimals(row.decimals)));
    Check(worksheet_write_number(sheet, r, 5, row.total, Decimals(row.decimals)));
    Text(sheet, r, 6, row.unit);
    Text(sheet, r, 7, row.file);
  }

  void AddBalance(const BalanceRow& row) override {
    lxw_worksheet* sheet = NextRow(balances_);
    if (!sheet) return;
    const lxw_row_t r = balances_.row;
    Check(worksheet_write_number(sheet, r, 0, row.day, date_));
    if (row.time) Check(worksheet_write_number(sheet, r, 1, *row.time, time_));
    Check(worksheet_write_number(sheet, r, 2, row.balance, nullptr));
    Check(worksheet_write_number(sheet, r, 3, row.weighings, nullptr));
    Check(worksheet_write_number(sheet, r, 4, row.total, Decimals(row.decimals)));
    Text(sheet, r, 5, row.unit);
    Text(sheet, r, 6, row.file);
  }

  void AddReading(const ReadingRow& row) override {
    if (!readings_.sheet) Start(readings_);
    lxw_worksheet* sheet = NextRow(readings_);
    if (!sheet) return;
    const lxw_row_t r = readings_.row;
    Check(worksheet_write_number(sheet, r, 0, row.day, date_));
    Check(worksheet_write_number(sheet, r, 1, row.value, Decimals(row.decimals)));
    lxw_col_t col = 2;
    if (readingUnits_) {
      Text(sheet, r, col++, row.unit);
      Text(sheet, r, col++, StabilityText(row.stability));
    }
    Text(sheet, r, col, row.file);
  }

  std::optional<std::string> Finish() override {
    const lxw_error closed = workbook_close(book_);
    book_ = nullptr;
    if (error_ == LXW_NO_ERROR) error_ = closed;
    if (error_ != LXW_NO_ERROR) {
      std::remove(temporary_.c_str());
      return CannotWrite(target_, Reason(error_));
    }
    if (auto failed = PutInPlace(temporary_, target_)) return failed;
    finished_ = true;
    return std::nullopt;
  }

  std::vector<std::string> Written() const override {
    return finished_ ? std::vector<std::string>{target_} : std::vector<std::string>{};
  }

 private:
  struct Sheet {
    const char* name = nullptr;
    std::span<const char* const> heads;
    lxw_worksheet* sheet = nullptr;
    lxw_row_t row = 0;  // the last row written
    int part = 1;
  };

  lxw_format* NumberFormat(const char* pattern) {
    lxw_format* format = workbook_add_format(book_);
    format_set_num_format(format, pattern);
    return format;
  }

  lxw_format* Decimals(int decimals) {
    return decimal_[static_cast<std::size_t>(std::clamp(decimals, 0, kMaxDecimals))];
  }

  void Start(Sheet& s) {
    const std::string name =
        s.part == 1 ? std::string(s.name) : std::string(s.name) + " " + std::to_string(s.part);
    s.sheet = workbook_add_worksheet(book_, name.c_str());
    if (!s.sheet) {
      if (error_ == LXW_NO_ERROR) error_ = LXW_ERROR_MEMORY_MALLOC_FAILED;
      return;
    }
    s.row = 0;
    for (std::size_t c = 0; c < s.heads.size(); ++c) {
      const auto col = static_cast<lxw_col_t>(c);
      // Wide enough for a date and for the head itself.
      worksheet_set_column(s.sheet, col, col, std::max<double>(11, std::strlen(s.heads[c]) + 2), nullptr);
      Check(worksheet_write_string(s.sheet, 0, col, s.heads[c], bold_));
    }
    worksheet_freeze_panes(s.sheet, 1, 0);
    // Printed: across, one page wide, with the heads on every page.
    worksheet_set_landscape(s.sheet);
    worksheet_fit_to_pages(s.sheet, 1, 0);
    worksheet_repeat_rows(s.sheet, 0, 0);
    worksheet_gridlines(s.sheet, LXW_SHOW_ALL_GRIDLINES);
  }

  // The sheet to write the next row into, a new part when this one is full;
  // none when a sheet could not be added (the error is kept for Finish).
  lxw_worksheet* NextRow(Sheet& s) {
    if (!s.sheet) return nullptr;
    if (s.row + 1 >= LXW_ROW_MAX) {
      ++s.part;
      Start(s);
    }
    ++s.row;
    return s.sheet;
  }

  void Text(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t col, const std::string& text) {
    if (!text.empty()) Check(worksheet_write_string(sheet, row, col, text.c_str(), nullptr));
  }

  void Check(lxw_error error) {
    if (error != LXW_NO_ERROR && error_ == LXW_NO_ERROR) error_ = error;
  }

  static std::string Reason(lxw_error error) {
    switch (error) {
      case LXW_ERROR_CREATING_XLSX_FILE:
      case LXW_ERROR_CREATING_TMPFILE: return ErrnoReason(errno ? errno : EACCES);
      case LXW_ERROR_ZIP_FILE_OPERATION:
      case LXW_ERROR_ZIP_FILE_ADD: return "błąd zapisu (czy jest miejsce na dysku?)";
      default: return lxw_strerror(error);
    }
  }

  std::string target_, temporary_, folder_;
  lxw_workbook* book_ = nullptr;
  lxw_format* bold_ = nullptr;
  lxw_format* date_ = nullptr;
  lxw_format* time_ = nullptr;
  std::array<lxw_format*, kMaxDecimals + 1> decimal_{};
  Sheet records_, balances_, readings_;
  bool readingUnits_ = false;
  lxw_error error_ = LXW_NO_ERROR;
  bool finished_ = false;
};

}  // namespace

std::unique_ptr<SheetWriter> OpenXlsxSheets(const std::string& target, std::string& error,
                                            bool readingUnits) {
  const std::string temporary = TemporaryBeside(target);
  // Tried at once, so that a folder that cannot be written is reported
  // before the data files are read rather than after.
  std::FILE* probe = std::fopen(temporary.c_str(), "wb");
  if (!probe) {
    error = CannotWrite(target, ErrnoReason(errno));
    return nullptr;
  }
  std::fclose(probe);
  std::string folder = FolderOf(target);
  if (folder.empty()) folder = ".";
  auto sheets = std::make_unique<XlsxSheets>(target, temporary, folder, readingUnits);
  if (!sheets->Opened()) {
    error = CannotWrite(target, "nie udało się utworzyć skoroszytu");
    return nullptr;
  }
  return sheets;
}
