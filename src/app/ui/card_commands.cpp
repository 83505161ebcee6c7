#include "app/ui/card_commands.h"

#include "app/console.h"
#include "app/login.h"
#include "app/ui/main_window.h"
#include "staff/card_editor.h"
#include "staff/ui/add_card_dialog.h"
#include "staff/ui/card_editor_dialog.h"
#include "staff/ui/card_info_dialog.h"

#include <QAction>
#include <QTableView>

namespace tallyport {

bool runCardEditor(Console& console, QWidget* parent, int cardNo) {
    QStringList descs;
    for (int port = 1; port <= kCardReaderPorts; ++port)
        descs << console.readers().reader(port).Desc();
    Database& src = console.data().src();
    const bool changed = EditCard(src, console.op(), cardNo, [&](CardEdit& edit) {
        CardEditorDialog editor(src, console.op(), descs, parent);
        editor.setEdit(edit);
        if (editor.exec() != QDialog::Accepted) return false;
        edit = editor.edit();
        return true;
    });
    if (changed) Q_EMIT console.holdersChanged();
    return changed;
}

bool openCardEditor(Console& console, QWidget* parent, int cardNo) {
    if (!console.login().loggedIn()) {
        console.op().information(msg::FeatureDisabled);
        return false;
    }
    return runCardEditor(console, parent, cardNo);
}

void openCardInfo(Console& console, MainWindow* window) {
    QTableView* grid = window ? window->logGrid() : nullptr;
    if (grid) grid->hide();
    {
        QWidget* owner = window;
        CardInfoDialog dialog(
            console.data().src(), console.op(),
            [&](int card) { return runCardEditor(console, owner, card); }, window);
        owner = &dialog;
        dialog.setAskNewCard([&]() -> std::optional<int> {
            AddCardDialog ask(console.data().src(), console.op(), &dialog);
            QObject::connect(&console, &Console::eventStored, &ask,
                             [&ask](const LogRecord& row) { ask.cardPresented(row.cardNo); });
            if (ask.exec() != QDialog::Accepted) return std::nullopt;
            return ask.cardNo();
        });
        dialog.exec();
    }
    if (window) window->refreshLogGrid(true);  // shows the grid again
}

void connectCardCommands(MainWindow& window, Console& console) {
    if (QAction* a = window.action(QStringLiteral("actcardinfo")))
        QObject::connect(a, &QAction::triggered, &window,
                         [&window, &console] { openCardInfo(console, &window); });
    // A double click on a log row edits that row's card; the grid has checked the login.
    QObject::connect(&window, &MainWindow::cardDoubleClicked, &window,
                     [&window, &console](int card) {
                         openCardEditor(console, &window, card);
                         window.showHolderPhoto(card);
                         window.refreshLogGrid(true);
                     });
}

}  // namespace tallyport
