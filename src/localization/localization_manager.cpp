#include "localization/localization_manager.h"

#include "platform/defaults_store.h"

#include <QLocale>

namespace {
std::unique_ptr<QTranslator> loadTable(const QString& name)
{
    auto t = std::make_unique<QTranslator>();
    // A table that fails to load stays empty, so every key shows as itself.
    if (!t->load(QStringLiteral(":/i18n/lumora_%1.qm").arg(name)))
        return nullptr;
    return t;
}
}  // namespace

LocalizationManager::LocalizationManager(DefaultsStore& store, const QStringList& systemLanguages,
                                         QObject* parent)
    : QObject(parent),
      current(AppLanguage::system, [this] { Q_EMIT objectWillChange(); }),
      store_(store),
      systemCode_(tableForLanguages(systemLanguages)),
      chinese_(loadTable(QStringLiteral("zh_Hans"))),
      english_(loadTable(QStringLiteral("en")))
{
    const QString raw = store_.readString(appLanguageKey, QStringLiteral("system"));
    // Rewritten at every launch, so a bad stored value is repaired at once.
    setCurrent(appLanguageFromRaw(raw).value_or(AppLanguage::system));
}

LocalizationManager::~LocalizationManager() = default;

LocalizationManager& LocalizationManager::shared()
{
    static auto* instance = new LocalizationManager(DefaultsStore::shared());
    return *instance;
}

QStringList LocalizationManager::defaultSystemLanguages()
{
    return QLocale::system().uiLanguages();
}

QString LocalizationManager::tableForLanguages(const QStringList& languages)
{
    for (const QString& lang : languages) {
        if (lang.startsWith(QLatin1String("zh"), Qt::CaseInsensitive))
            return QStringLiteral("zh-Hans");
        if (lang.startsWith(QLatin1String("en"), Qt::CaseInsensitive))
            return QStringLiteral("en");
    }
    return QStringLiteral("en");
}

void LocalizationManager::setCurrent(AppLanguage language)
{
    current.assign(language);
    apply();
}

void LocalizationManager::apply()
{
    store_.write(appLanguageKey, rawValue(current));
    const QString code = languageCode(current);
    if (code.isEmpty())
        store_.remove(appleLanguagesKey);
    else
        store_.write(appleLanguagesKey, QStringList{code});
}

QString LocalizationManager::effectiveCode() const
{
    const QString code = languageCode(current);
    return code.isEmpty() ? systemCode_ : code;
}

const QTranslator* LocalizationManager::tableFor(const QString& code) const
{
    return code == QLatin1String("zh-Hans") ? chinese_.get() : english_.get();
}

QString LocalizationManager::localized(const QString& key, const QString& comment) const
{
    Q_UNUSED(comment);
    return lookup(effectiveCode(), key);
}

QString LocalizationManager::systemLocalized(const QString& key) const
{
    return lookup(systemCode_, key);
}

QString LocalizationManager::lookup(const QString& code, const QString& key) const
{
    const QTranslator* table = tableFor(code);
    if (!table)
        return key;
    const QByteArray id = key.toUtf8();
    const QString text = table->translate("", id.constData());
    return text.isEmpty() ? key : text;
}
