#include "Unit2.h"

#include "Announcer.h"
#include "DbNavigator.h"
#include "GlyphStrip.h"
#include "PoemTableModel.h"
#include "RecordCursor.h"
#include "Tahoma.h"
#include "WindowCentring.h"
#include "ui_Unit2.h"

#include <QAbstractButton>
#include <QAbstractItemDelegate>
#include <QAccessible>
#include <QDataWidgetMapper>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QShowEvent>

TForm2::TForm2(RecordCursor *cursor, QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TForm2>())
{
    setupWindow();
    applyFonts();
    applyGlyphs();
    bindRecord(cursor);
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
    m_announcer = new Announcer(this);
    m_announcer->setObjectName(QStringLiteral("Announcer"));
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

// The title and the text follow the current record through a mapper on the poem model, shown or
// hidden, as the selection's current row changes; the navigator moves the record. Nothing flows
// back: the mapper never submits, and its delegate does not watch the text box's keys (Escape
// would put the text back at its top).
void TForm2::bindRecord(RecordCursor *cursor)
{
    m_cursor = cursor;
    BindSourceDB1 = new QDataWidgetMapper(this);
    BindSourceDB1->setObjectName(QStringLiteral("BindSourceDB1"));
    BindSourceDB1->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    BindSourceDB1->setModel(cursor->model());
    BindSourceDB1->addMapping(ui->Label1, PoemTableModel::Title, "text");
    BindSourceDB1->addMapping(ui->Memo1, PoemTableModel::Text);   // its user property, the plain text
    for (QWidget *field : {static_cast<QWidget *>(ui->Label1), static_cast<QWidget *>(ui->Memo1)})
        field->removeEventFilter(BindSourceDB1->itemDelegate());
    connect(cursor->selectionModel(), &QItemSelectionModel::currentRowChanged, BindSourceDB1,
            &QDataWidgetMapper::setCurrentModelIndex);
    connect(cursor, &RecordCursor::changed, this, &TForm2::followRecord);
    BindSourceDB1->setCurrentModelIndex(cursor->selectionModel()->currentIndex());
    followRecord();
    ui->DBNavigator1->setRecordCursor(cursor);
}

// Without a current record (a closed or an empty result) the title and the text are empty.
void TForm2::followRecord()
{
    if (m_cursor->row() < 0)
        BindSourceDB1->revert();
    // A screen reader names the text box by the poem's title, which labels it on screen.
    ui->Memo1->setAccessibleName(ui->Label1->text());
    // A step in the open window moves no focus; the new title is announced instead.
    if (isVisible())
        m_announcer->announce(ui->Label1->text());
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
    renewButtonsForAssistiveTools();
    if (!event->spontaneous())
        ui->Memo1->setFocus();
}

// The buttons change state while the window is hidden (the navigator follows the record), and a
// screen reader then reads and keeps their state: not visible, not showing. Qt tells it of the
// window's showing only, and it would pass the buttons over for good. Handed over as new objects,
// they are read afresh.
void TForm2::renewButtonsForAssistiveTools()
{
    if (!QAccessible::isActive())
        return;
    for (QAbstractButton *button : findChildren<QAbstractButton *>()) {
        QAccessibleEvent gone(button, QAccessible::ObjectDestroyed);
        QAccessible::updateAccessibility(&gone);
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(button)));
        QAccessibleEvent made(button, QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&made);
    }
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
