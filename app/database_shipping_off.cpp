// A build without the database (Windows): nothing ships; the menu item says so.

#include "app/database_shipping.h"
#include "app/ui_text.h"
#include "view/dialogs.h"

struct DatabaseShipping::Impl {
  Dialogs& dialogs;
};

DatabaseShipping::DatabaseShipping(QLabel*, QWidget*, Dialogs& dialogs, std::string, Sources)
    : impl_(std::make_unique<Impl>(Impl{dialogs})) {}
DatabaseShipping::~DatabaseShipping() = default;
void DatabaseShipping::Start() {}
void DatabaseShipping::Stop() {}
bool DatabaseShipping::Running() const { return false; }

void DatabaseShipping::OpenDialog() {
  impl_->dialogs.ShowMessage(MessageKind::Information,
                             Literal("Ta wersja programu nie wysyła linii do bazy danych."));
}
