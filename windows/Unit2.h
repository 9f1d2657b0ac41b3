#pragma once

#include <QDialog>

#include <memory>

class Announcer;
class QDataWidgetMapper;
class QPushButton;
class RecordCursor;

namespace Ui {
class TForm2;
}

// The poem detail window: the current record's title and text, and a navigator that steps
// through the poems. It follows the current record whether shown or hidden and never writes.
// Only the title bar closes it (closing hides it); each showing is modal and centred anew.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(RecordCursor *cursor, QWidget *parent = nullptr);
    ~TForm2() override;

    // The two inert buttons, which the main window disables before every showing.
    QPushButton *photoButton() const;
    QPushButton *readAloudButton() const;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setupWindow();
    void applyFonts();
    void applyGlyphs();
    void bindRecord(RecordCursor *cursor);
    void followRecord();
    void renewButtonsForAssistiveTools();

    std::unique_ptr<Ui::TForm2> ui;
    RecordCursor *m_cursor = nullptr;
    QDataWidgetMapper *BindSourceDB1 = nullptr;
    Announcer *m_announcer = nullptr;
};
