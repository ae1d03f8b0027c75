#include "core/buyer_selection.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/version.h"

namespace {
// A drop-down list that says when its list closes, picked or not.
class BuyerList : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> onClosed;
    void hidePopup() override {
        QComboBox::hidePopup();
        if (onClosed) onClosed();
    }
};
}  // namespace

TForm18::TForm18(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm18"), QStringLiteral("Átvevö kiválasztása"), parent) {
    auto* layout = new QVBoxLayout(this);
    auto* list = new BuyerList(this);
    list->onClosed = [this] { guard(ui(), [this] { applyChoice(); }); };
    m_list = list;
    m_list->setObjectName(QStringLiteral("buyerList"));
    m_list->setToolTip(QStringLiteral("Kurzorral léptesse a kiválasztandó átvevőre"));
    m_list->setMinimumWidth(420);
    layout->addWidget(m_list);
    auto* buttons = new QHBoxLayout;
    auto* choose = new QPushButton(QStringLiteral("Kiválaszt"), this);
    auto* cancel = new QPushButton(QStringLiteral("Mégsem"), this);
    buttons->addStretch();
    buttons->addWidget(choose);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    onClick(choose, [this] { accept(); });
    onClick(cancel, [this] { reject(); });

    // Picking a name makes its row current; closing the list or leaving it applies the choice.
    connect(m_list, &QComboBox::currentIndexChanged, this, [this](int index) {
        guard(ui(), [&] {
            Query& q = data().query("ZQ60");
            if (q.active() && index >= 0) q.moveTo(index);
        });
    });
    // A choice in the popup list: the list hides before the pick lands, so its closing alone
    // would apply the row that was current before.
    connect(m_list, &QComboBox::activated, this,
            [this] { guard(ui(), [this] { applyChoice(); }); });
    m_list->installEventFilter(this);
    setFocusProxy(m_list);
}

bool TForm18::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::FocusOut)
        guard(ui(), [this] { applyChoice(); });
    return Screen::eventFilter(watched, event);
}

void TForm18::onShow() {
    Query& q = data().query("ZQ60");
    q.close();
    q.setSql(QStringLiteral("SELECT * FROM atvevo"));
    q.open();
    q.last();
    run().buyerCode = q.text("V_AKOD");
    run().defaultStatement = q.text("v_nyilatk");
    run().printVariant = q.text("v_verzio").left(1);
    fillList();
    m_list->setFocus();
}

void TForm18::fillList() {
    Query& q = data().query("ZQ60");
    const QSignalBlocker block(m_list);
    m_list->clear();
    for (int row = 0; row < q.rowCount(); ++row)
        m_list->addItem(q.valueAt(row, q.fieldIndex("V_NEVE")).asText());
    m_list->setCurrentIndex(q.recNo());
}

void TForm18::applyChoice() {
    Query& q = data().query("ZQ60");
    if (!q.active()) return;
    RunValues& r = run();
    r.typeTicket = QStringLiteral("1");
    r.typeVoiding = QStringLiteral("4");
    r.buyerCode = q.text("V_AKOD");
    q.locate(QStringLiteral("V_AKOD"), r.buyerCode, true, true);
    r.defaultStatement = q.text("v_nyilatk");
    r.printVariant = q.text("v_verzio").left(1);
    app().buyerChosen();
    setWindowTitle(buyerTitle(r.captionPrefix, q.text("v_Neve"), r.versionText));
}
