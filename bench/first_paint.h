#pragma once
// Runs a function once a window has been painted for the first time, after the whole paint
// (the window and its children) has finished.

#include <functional>

class QWidget;

void after_first_paint(QWidget* window, std::function<void()> then);
