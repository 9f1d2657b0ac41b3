// The program's entry point: the application object, the main window, then the detail window.
#include "DbWaitCursor.h"
#include "ErrorReport.h"
#include "TorneviApplication.h"
#include "Unit1.h"
#include "Unit2.h"

int main(int argc, char *argv[])
{
    QApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    TorneviApplication app(argc, argv);
    ErrorReport::setHandler([&app](const QString &message) { app.showError(message); });
    DbWaitCursor waitCursor;

    TForm1 form1;
    TForm2 form2(form1.query(), &form1);
    form1.setDetailWindow(&form2);

    form1.show();
    return app.run();
}
