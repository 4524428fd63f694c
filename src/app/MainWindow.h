#pragma once

#include "WindowContext.h"

#include <functional>
#include <QWidget>

class QFont;

// The program's one window, Form1. It builds the controls from the layout table, runs the start-up
// sequence, joins the controls' events to the handlers of each feature and ends the process when
// it is closed.
class MainWindow final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int mousePointer READ mousePointer NOTIFY mousePointerChanged)

public:
    struct Options
    {
        QString installFolder;            // where the optional files are looked for
        std::function<void()> endProcess; // ends the program at once; tests replace it
    };

    MainWindow(Services &services, SettingsStore &settings, Options options);
    ~MainWindow() override;

    WindowContext &context() { return m_ctx; }
    int mousePointer() const;

    // Pixels for a length in twips at the screen's logical resolution.
    int px(int twips) const;

    static const char *const ProductName;

signals:
    void mousePointerChanged(int value);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    QPushButton *createButton(QWidget *parent, const char *name, const QString &caption,
                              QRect twips);
    QTreeView *createList(const char *name, RowListModel *model, QRect twips,
                          const QString &tooltip);
    void place(QWidget *widget, QRect twips) const;
    void watchHover(QWidget *widget, int pointer);
    void connectHandlers();
    void centreOnScreen();

    WindowContext m_ctx;
    Options m_options;
    qreal m_dpi = 96;
    QHash<QObject *, int> m_hoverPointer;
};
