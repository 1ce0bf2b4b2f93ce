#pragma once

#include "service/ServiceConfig.h"

#include <QString>

// Access to confignew.ini in the program folder, section "VELO". Every value is stored as hex
// cipher text and comes back decrypted. Nothing is cached: each reader reads its key when it
// needs it, through a buffer of its own size, so a change made by hand takes effect at the next
// request.
class ConfigFile : public ServiceConfig {
public:
    enum class WriteResult { Written, TooLong, Failed };

    explicit ConfigFile(QString programFolder);
    // The file in FOLDER, with the values it does not hold read from the one in INSTALLED: the
    // user's own copy beside an installation the user may not write.
    ConfigFile(QString folder, QString installed);

    QString filePath() const;

    // The decrypted value of KEY read through a buffer of BUFFERCHARS units; empty when the
    // file or the key is missing.
    QString read(const QString& key, int bufferChars) const;
    // Encrypts PLAIN with the program key and stores it under KEY (the empty text stays empty).
    WriteResult write(const QString& key, const QString& plain) const;

    QString serverUrl(Buffer reader) const override;
    QString uerSetMeal() const override;
    QString tvProgram() const override;
    QString userInfo() const;
    // Stores the remembered login; the empty record forgets an earlier one.
    WriteResult writeUserInfo(const QString& record) const;

    // Deployment values of the service; each falls back to a built-in value when absent.
    QString probeHost(int which) const override;    // 1 or 2
    QString fallbackUrl(int which) const override;  // 1 or 2, paired with probeHost(which)
    QString adServer() const override;

    static QString defaultProbeHost(int which);
    static QString defaultFallbackUrl(int which);
    static QString defaultAdServer();

private:
    QString readOr(const QString& key, const QString& fallback) const;

    QString m_programFolder;
    QString m_installed;  // empty, or the same folder: no second file
};
