#include "Unit2.h"

#include "CaptionLabel.h"
#include "DbNavigator.h"
#include "GlyphStrip.h"
#include "MemoBox.h"
#include "PoemQuery.h"
#include "Tahoma.h"

#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace {
constexpr QSize ClientSize(410, 490);
constexpr QSize ButtonGlyphSize(16, 16);
} // namespace

TForm2::TForm2(PoemQuery *query, QWidget *parent) : QDialog(parent), m_query(query)
{
    createWindow();
    createTitlePanel();
    createTextPanel();
    createMemo();
    createButtons();
    createNavigator();
    connectQuery();
    refreshRecord();
}

void TForm2::createWindow()
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral(" Találat:"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(ClientSize);
    setModal(true);
    setFont(Tahoma::font(11));
}

void TForm2::createTitlePanel()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(0, 0, 410, 73);

    // A fixed box: long titles wrap onto centred lines and whatever passes its foot is cut off.
    Label1 = new CaptionLabel(Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label1->setFont(Tahoma::font(16, true));
    Label1->setGeometry(7, 16, 385, 51);
}

void TForm2::createTextPanel()
{
    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setLineWidth(1);
    Panel2->setGeometry(0, 73, 410, 417);

    // The lowered inner bevel, 5 pixels inside the raised outer one, behind the controls.
    auto *innerBevel = new QFrame(Panel2);
    innerBevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    innerBevel->setLineWidth(1);
    innerBevel->setGeometry(6, 6, 410 - 12, 417 - 12);
}

void TForm2::createMemo()
{
    Memo1 = new MemoBox(Panel2);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFont(Tahoma::font(15));
    Memo1->setGeometry(7, 7, 396, 292);
    Memo1->setFocus();
}

void TForm2::createButtons()
{
    // Present but without an action; the main window disables them before every showing.
    BitBtn1 = new QPushButton(GlyphStrip::icon(QStringLiteral(":/glyphs/foto.png")), QStringLiteral("Fotó"), Panel2);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    BitBtn1->setIconSize(ButtonGlyphSize);
    BitBtn1->setGeometry(24, 320, 177, 25);

    BitBtn2 = new QPushButton(GlyphStrip::icon(QStringLiteral(":/glyphs/felolvas.png")), QStringLiteral("Felolvas"), Panel2);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    BitBtn2->setIconSize(ButtonGlyphSize);
    BitBtn2->setGeometry(215, 320, 178, 25);
}

void TForm2::createNavigator()
{
    DBNavigator1 = new DbNavigator(Panel2);
    DBNavigator1->setQuery(m_query);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setGeometry(24, 360, 368, 33);
}

void TForm2::connectQuery()
{
    if (!m_query)
        return;
    connect(m_query, &PoemQuery::stateChanged, this, &TForm2::refreshRecord);
    connect(m_query, &PoemQuery::currentChanged, this, &TForm2::refreshRecord);
}

void TForm2::refreshRecord()
{
    const bool hasRecord = m_query && m_query->isOpen() && m_query->recordCount() > 0;
    Label1->setText(hasRecord ? m_query->fieldText(QStringLiteral("CIM")) : QString());
    // Replacing the whole text also brings the view back to its first line and the caret to the start.
    Memo1->setPlainText(hasRecord ? m_query->fieldText(QStringLiteral("VERS")) : QString());
}

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    centreOnWorkArea();
    Memo1->setFocus();
}

void TForm2::centreOnWorkArea()
{
    const QWidget *anchor = parentWidget() ? parentWidget()->window() : this;
    const QScreen *screen = anchor->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame(QPoint(), frameGeometry().size());
    frame.moveCenter(area.center());
    // On a screen too small for the window its title bar stays reachable.
    move(qMax(frame.left(), area.left()), qMax(frame.top(), area.top()));
}

void TForm2::keyPressEvent(QKeyEvent *event)
{
    // The window closes from its title bar only; Escape and Enter are swallowed here.
    if (event->matches(QKeySequence::Cancel) || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
