#include "shown_message_boxes.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace test_support {

shown_message_boxes::shown_message_boxes()
    : previous(platform::set_message_box_handler({})), driver(platform::message_box_name, [this](QDialog* dialog) {
          auto* shown = qobject_cast<QMessageBox*>(dialog);
          QVERIFY(shown != nullptr);
          boxes.append({shown->windowTitle(), shown->text(), shown->parentWidget(), shown->windowModality(),
                        shown->frameGeometry()});
          shown->button(QMessageBox::Ok)->click();
      })
{
}

shown_message_boxes::~shown_message_boxes() { platform::set_message_box_handler(std::move(previous)); }

} // namespace test_support
