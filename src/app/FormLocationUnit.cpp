#include "app/FormLocationUnit.h"

#include "app/DataModuleUnit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void StoreFormLocation(QWidget* form)
{
    if (!form || form->objectName().isEmpty() || !DataModule1)
        return;
    DataModule1->SetStoredFormLocation(
        form->objectName(), {form->x(), form->y(), form->width(), form->height()});
}

void RestoreFormLocation(QWidget* form)
{
    if (!form || form->objectName().isEmpty() || !DataModule1)
        return;
    FormLocation location;
    DataModule1->GetStoredFormLocation(form->objectName(), location);
    if (location.Width <= 0 || location.Height <= 0)
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen)
        location = ClampFormLocation(location, screen->geometry().size());
    form->move(location.Left, location.Top);
    form->resize(location.Width, location.Height);
}
