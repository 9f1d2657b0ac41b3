#include "SearchPage.h"

#include "GlyphStrip.h"
#include "Tahoma.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

SearchPage::SearchPage(QWidget *parent) : QWidget(parent)
{
    createLabels();
    createPhraseBox();
    createButtons();
    createSeparators();
    setTabOrder(m_edit1, m_bitBtn1);
    setTabOrder(m_bitBtn1, m_bitBtn2);
}

QLabel *SearchPage::boldLabel(const char *name, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setFont(Tahoma::font(11, true));
    label->move(left, top);
    label->adjustSize();
    return label;
}

void SearchPage::createLabels()
{
    m_label10 = boldLabel("Label10", QStringLiteral("Keresendő kifejezés:"), 48, 80);
    m_label11 = boldLabel("Label11", QStringLiteral("Keresés eredménye /találat/:"), 48, 256);
    m_label12 = boldLabel("Label12", QStringLiteral("0"), 240, 256);
}

void SearchPage::createPhraseBox()
{
    m_edit1 = new QLineEdit(QStringLiteral("Edit1"), this);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    m_edit1->setFont(Tahoma::font(11, true));
    m_edit1->setGeometry(48, 99, 569, 21);
    m_edit1->setMaxLength(std::numeric_limits<int>::max());
}

void SearchPage::createButtons()
{
    const QString hint = QStringLiteral("Keresés indítása !");
    m_bitBtn1 = new QPushButton(GlyphStrip::icon(QStringLiteral(":/glyphs/search_hand.png")),
                                QStringLiteral("Keresés indítása"), this);
    m_bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    m_bitBtn1->setGeometry(48, 144, 569, 25);
    m_bitBtn1->setProperty("hint", hint);
    m_bitBtn1->setAutoDefault(false);

    m_bitBtn2 = new QPushButton(GlyphStrip::icon(QStringLiteral(":/glyphs/reset_hand.png")),
                                QStringLiteral("Korábbi keresés törlése /alaphelyzet/"), this);
    m_bitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    m_bitBtn2->setGeometry(48, 400, 569, 25);
    m_bitBtn2->setProperty("hint", hint);
    m_bitBtn2->setAutoDefault(false);
}

void SearchPage::createSeparators()
{
    const int tops[] = {192, 336};
    const char *names[] = {"Panel1", "Panel2"};
    for (int i = 0; i < 2; ++i) {
        auto *line = new QFrame(this);
        line->setObjectName(QLatin1String(names[i]));
        line->setFrameStyle(QFrame::Panel | QFrame::Raised);
        line->setLineWidth(1);
        line->setGeometry(48, tops[i], 569, 3);
        line->setFocusPolicy(Qt::NoFocus);
    }
}
