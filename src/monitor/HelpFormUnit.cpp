#include "monitor/HelpFormUnit.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// Outside any namespace, as the resource initialiser's declaration requires.
static int InitHelpResources()
{
    // The page sits in a static library: without this call the linker may leave it out.
    Q_INIT_RESOURCE(help);
    return 1;
}

QString HelpPagePath()
{
    static const int loaded = InitHelpResources();
    Q_UNUSED(loaded);
    return QStringLiteral(":/help/Varnock.html");
}

THelpForm::THelpForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , FBrowser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Varnock Help"));
    resize(640, 560);
    FBrowser->setObjectName(QStringLiteral("HelpBrowser"));
    FBrowser->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FBrowser);
    FBrowser->setSource(QUrl(QStringLiteral("qrc") + HelpPagePath()));
}

void THelpForm::ShowContents()
{
    FBrowser->scrollToAnchor(QStringLiteral("contents"));
    show();
    raise();
    activateWindow();
}

void THelpForm::ShowHelpContext(int helpContext)
{
    FBrowser->scrollToAnchor(QStringLiteral("context") + QString::number(helpContext));
    show();
    raise();
    activateWindow();
}

namespace {
THelpForm* HelpFormOf(QWidget* owner)
{
    THelpForm* form = owner ? owner->findChild<THelpForm*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    return form ? form : new THelpForm(owner);
}
} // namespace

THelpForm* ShowHelpContents(QWidget* owner)
{
    THelpForm* form = HelpFormOf(owner);
    form->ShowContents();
    return form;
}

THelpForm* ShowHelpContext(QWidget* owner, int helpContext)
{
    THelpForm* form = HelpFormOf(owner);
    form->ShowHelpContext(helpContext);
    return form;
}
