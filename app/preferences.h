// The settings the window keeps from one start to the next, in the user's
// configuration folder (QSettings: on Linux ~/.config/quillmark/quillmark.conf):
// how the samples are shown and how OK writes the statement.
#pragma once

enum Preference {
    PREF_EXACT_SAMPLES,  // samples as the compiler prints them
    PREF_KEEP_LAYOUT,    // OK replaces only the texts that changed
};

// The stored setting; off when it was never set.
bool LoadPreference(Preference nPreference);

// Stores one setting, leaving the others as they are stored.
void StorePreference(Preference nPreference, bool bOn);
