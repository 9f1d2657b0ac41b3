#pragma once

#include <QDialog>

#include <memory>

class Announcer;
class PoemTableModel;
class QDataWidgetMapper;
class QPushButton;

namespace Ui {
class TForm2;
}

// The poem detail window: the current record's title and text, and a navigator that steps
// through the poem query. It follows the query whether shown or hidden and never writes to it.
// Only the title bar closes it (closing hides it); each showing is modal and centred anew.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(PoemTableModel *model, QWidget *parent = nullptr);
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
    void bindModel(PoemTableModel *model);
    void followRecord();
    void renewButtonsForAssistiveTools();

    std::unique_ptr<Ui::TForm2> ui;
    PoemTableModel *m_model = nullptr;
    QDataWidgetMapper *BindSourceDB1 = nullptr;
    Announcer *m_announcer = nullptr;
};
