#pragma once
// The help viewer: the bundled HTML help page in a window of ours, at its contents or at a help context.

#include <QWidget>

class QTextBrowser;

class THelpForm : public QWidget {
    Q_OBJECT
public:
    explicit THelpForm(QWidget* parent = nullptr);

    // The contents at the top of the page; a help context is the anchor "context<number>".
    void ShowContents();
    void ShowHelpContext(int helpContext);
    QTextBrowser* Browser() const { return FBrowser; }

private:
    QTextBrowser* FBrowser;
};

// The help window of owner (made at first use as its child window), shown at the contents or a help context.
THelpForm* ShowHelpContents(QWidget* owner);
THelpForm* ShowHelpContext(QWidget* owner, int helpContext);
// The resource path of the page.
QString HelpPagePath();
