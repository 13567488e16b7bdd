#include "preferences.h"

#include <QSettings>
#include <QString>

namespace {

QString KeyOf(Preference nPreference)
{
    return nPreference == PREF_EXACT_SAMPLES ? QStringLiteral("samples/exact") : QStringLiteral("save/keepLayout");
}

// Read where the settings are each time: a test moves the configuration
// folder aside before it starts.
QSettings Settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("quillmark"),
                     QStringLiteral("quillmark"));
}

}  // namespace

bool LoadPreference(Preference nPreference)
{
    return Settings().value(KeyOf(nPreference), false).toBool();
}

void StorePreference(Preference nPreference, bool bOn)
{
    QSettings settings = Settings();
    settings.setValue(KeyOf(nPreference), bOn);
    settings.sync();
}
