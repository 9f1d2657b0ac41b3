#include "Unit2.h"

#include "DbNavigator.h"
#include "GlyphStrip.h"
#include "RecordBinding.h"
#include "Tahoma.h"
#include "WindowCentring.h"
#include "ui_Unit2.h"

#include <QKeyEvent>
#include <QShowEvent>

TForm2::TForm2(PoemQuery *query, QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TForm2>())
{
    setupWindow();
    applyFonts();
    applyGlyphs();
    bindQuery(query);
}

TForm2::~TForm2() = default;

void TForm2::setupWindow()
{
    // The children are made in the window's font, so none of them is laid out twice.
    setFont(Tahoma::font(11));
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    new WindowCentring(this);
}

void TForm2::applyFonts()
{
    ui->Label1->setFont(Tahoma::font(16, true));
    ui->Memo1->setFont(Tahoma::font(15));
}

void TForm2::applyGlyphs()
{
    ui->BitBtn1->setIcon(GlyphStrip::icon(QStringLiteral(":/glyphs/foto.png")));
    ui->BitBtn2->setIcon(GlyphStrip::icon(QStringLiteral(":/glyphs/felolvas.png")));
}

// The title and the text follow the current record; the navigator moves it.
void TForm2::bindQuery(PoemQuery *query)
{
    BindSourceDB1 = new RecordBinding(query, {
        // A screen reader names the text box by the poem's title, which labels it on screen.
        {QStringLiteral("CIM"), [this](const QString &text) {
             ui->Label1->setText(text);
             ui->Memo1->setAccessibleName(text);
         }},
        // Replacing the whole text also brings the view back to its first line and the caret to the start.
        {QStringLiteral("VERS"), [this](const QString &text) { ui->Memo1->setPlainText(text); }},
    }, this);
    BindSourceDB1->setObjectName(QStringLiteral("BindSourceDB1"));
    ui->DBNavigator1->setQuery(query);
}

QPushButton *TForm2::photoButton() const
{
    return ui->BitBtn1;
}

QPushButton *TForm2::readAloudButton() const
{
    return ui->BitBtn2;
}

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        ui->Memo1->setFocus();
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
