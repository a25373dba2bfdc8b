#include "uo_srch1.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

#include "platform.h"

namespace {

// Layout units. A drop-down list is given with the height of its opened list; closed it is as
// high as the text box.
constexpr int control_width = 3483;
constexpr int control_height = 496;
constexpr int closed_list_height = 96;

QComboBox* make_list(QWidget* parent, const QString& name, QStringList captions, bool sorted)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false); // the user can only pick one of the captions
    if (sorted)
        captions.sort(Qt::CaseInsensitive);
    list->addItems(captions);
    return list;
}

} // namespace

uo_srch1::uo_srch1(QWidget* parent) : QWidget(parent)
{
    ddlb_veza = make_list(this, QStringLiteral("ddlb_veza"),
                          {QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT")}, false);
    // Defined in this order; the list shows and numbers them alphabetically.
    ddlb_polje = make_list(this, QStringLiteral("ddlb_polje"),
                           {QStringLiteral("Address"), QStringLiteral("Question"), QStringLiteral("LOT"),
                            QStringLiteral("Product"), QStringLiteral("Answer"), QStringLiteral("All"),
                            QStringLiteral("Keyword")},
                           true);
    sle_trazi = new QLineEdit(this);
    sle_trazi->setObjectName(QStringLiteral("sle_trazi"));

    const QFont arial = platform::font(QStringLiteral("Arial"), 10);
    for (QWidget* child :
         {static_cast<QWidget*>(ddlb_veza), static_cast<QWidget*>(ddlb_polje), static_cast<QWidget*>(sle_trazi)})
        child->setFont(arial);

    platform::resize_in_units(this, control_width, control_height);
    platform::place(sle_trazi, 59, 0, 1870, 96);
    platform::place(ddlb_polje, 2034, 0, 992, closed_list_height);
    platform::place(ddlb_veza, 3136, 4, 297, closed_list_height);

    // Left to right, as the children stand.
    setTabOrder(sle_trazi, ddlb_polje);
    setTabOrder(ddlb_polje, ddlb_veza);

    // Constructors of the two lists: both start on their first item.
    ddlb_veza->setCurrentIndex(0);
    ddlb_polje->setCurrentIndex(0);
}

void uo_srch1::izaberi_tip(std::int16_t koji)
{
    if (koji < 1 || koji > ddlb_polje->count())
        return;
    ddlb_polje->setCurrentIndex(koji - 1);
}
