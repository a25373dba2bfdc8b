#pragma once
// One search criterion: the text to look for, the field to look in, and the connector that
// joins this criterion to the next one. The owner reads the three children directly.

#include <QWidget>
#include <cstdint>

class QComboBox;
class QLineEdit;

class uo_srch1 : public QWidget {
    Q_OBJECT
public:
    explicit uo_srch1(QWidget* parent = nullptr);

    // Selects item `koji` (1-based, in the sorted order) of the field list; other numbers are
    // ignored.
    void izaberi_tip(std::int16_t koji);

    // Children, in creation order.
    QComboBox* ddlb_veza = nullptr;  // connector: "AND", "OR", "NOT"
    QComboBox* ddlb_polje = nullptr; // field caption
    QLineEdit* sle_trazi = nullptr;  // search text
};
