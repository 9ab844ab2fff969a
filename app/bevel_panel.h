#pragma once

#include <QWidget>

// A panel with an outer and an inner bevel of one pixel each, raised,
// lowered or none, as the classic panels of the program's windows.
class BevelPanel : public QWidget {
 public:
  enum class Bevel { None, Raised, Lowered };

  BevelPanel(Bevel outer, Bevel inner, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Bevel outer_;
  Bevel inner_;
};
