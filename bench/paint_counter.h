#pragma once
// Counts the paint events of one widget, so that a benchmark can wait until a change has really
// reached the screen (offscreen: the backing store), not only the model.

#include <QObject>

class QWidget;

class paint_counter : public QObject {
public:
    explicit paint_counter(QWidget* widget);
    int count() const { return paints; }

    // Processes events until the widget has painted again since `before`; false after two
    // seconds without a paint.
    bool wait_for_paint_after(int before) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int paints = 0;
};
