#include "platform/dbus_menu_adaptor.h"

#include <QAction>
#include <QActionGroup>
#include <QDBusError>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>

namespace {
constexpr int rootId = 0;

// Qt marks a mnemonic with '&', dbusmenu with '_'.
QString dbusLabel(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('&')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            } else {
                out += QLatin1Char('_');
            }
        } else if (c == QLatin1Char('_')) {
            out += QStringLiteral("__");
        } else {
            out += c;
        }
    }
    return out;
}

DBusMenuShortcut dbusShortcut(const QKeySequence& sequence)
{
    DBusMenuShortcut out;
    for (int i = 0; i < sequence.count(); ++i) {
        const QKeyCombination key = sequence[i];
        const Qt::KeyboardModifiers mods = key.keyboardModifiers();
        QStringList tokens;
        if (mods & Qt::ControlModifier)
            tokens << QStringLiteral("Control");
        if (mods & Qt::AltModifier)
            tokens << QStringLiteral("Alt");
        if (mods & Qt::ShiftModifier)
            tokens << QStringLiteral("Shift");
        if (mods & Qt::MetaModifier)
            tokens << QStringLiteral("Super");
        tokens << QKeySequence(key.key()).toString(QKeySequence::PortableText);
        out << tokens;
    }
    return out;
}

QVariantMap filtered(const QVariantMap& all, const QStringList& names)
{
    if (names.isEmpty())
        return all;
    QVariantMap out;
    for (const QString& name : names) {
        const auto it = all.constFind(name);
        if (it != all.constEnd())
            out.insert(name, it.value());
    }
    return out;
}
}  // namespace

DBusMenuAdaptor::DBusMenuAdaptor(QObject* host, QDBusConnection bus)
    : QDBusAbstractAdaptor(host), bus_(std::move(bus))
{
    setAutoRelaySignals(false);
}

DBusMenuAdaptor::~DBusMenuAdaptor()
{
    forgetAll();
}

QString DBusMenuAdaptor::textDirection() const
{
    return QGuiApplication::isRightToLeft() ? QStringLiteral("rtl") : QStringLiteral("ltr");
}

void DBusMenuAdaptor::setMenu(QMenu* menu)
{
    forgetAll();
    menu_ = menu;
    if (menu)
        adopt(menu);
    ++revision_;
    Q_EMIT LayoutUpdated(revision_, rootId);
}

void DBusMenuAdaptor::forgetAll()
{
    for (const QPointer<QMenu>& m : std::as_const(watchedMenus_)) {
        if (m)
            m->removeEventFilter(this);
    }
    watchedMenus_.clear();
    for (const QPointer<QAction>& a : std::as_const(actions_)) {
        if (a)
            disconnect(a, nullptr, this, nullptr);
    }
    actions_.clear();
    ids_.clear();
    published_.clear();
}

void DBusMenuAdaptor::adopt(QMenu* menu)
{
    if (!watchedMenus_.contains(menu)) {
        menu->installEventFilter(this);
        watchedMenus_.append(menu);
    }
    for (QAction* action : menu->actions()) {
        if (idOf(action) < 0) {
            const int id = nextId_++;
            ids_.insert(action, id);
            actions_.insert(id, action);
            connect(action, &QAction::changed, this, [this, action] { actionChanged(action); });
            published_.insert(id, propertiesOf(id));
        }
        if (QMenu* sub = action->menu())
            adopt(sub);
    }
}

bool DBusMenuAdaptor::eventFilter(QObject* watched, QEvent* event)
{
    const bool structural = event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionRemoved;
    if (structural && !layoutPending_) {
        // The action list changes only after the event, and often many times
        // in a row: look once, when it has settled.
        layoutPending_ = true;
        QMetaObject::invokeMethod(this, &DBusMenuAdaptor::structureChanged, Qt::QueuedConnection);
    }
    return QDBusAbstractAdaptor::eventFilter(watched, event);
}

void DBusMenuAdaptor::structureChanged()
{
    layoutPending_ = false;
    // Entries that left every menu lose their ids; new ones get fresh ids.
    QHash<const QAction*, int> still;
    if (menu_) {
        QList<QMenu*> pending{menu_.data()};
        while (!pending.isEmpty()) {
            QMenu* m = pending.takeFirst();
            for (QAction* a : m->actions()) {
                if (idOf(a) >= 0)
                    still.insert(a, ids_.value(a));
                if (a->menu())
                    pending.append(a->menu());
            }
        }
    }
    for (auto it = ids_.begin(); it != ids_.end();) {
        if (!still.contains(it.key())) {
            if (QAction* a = actions_.value(it.value()))
                disconnect(a, nullptr, this, nullptr);
            actions_.remove(it.value());
            published_.remove(it.value());
            it = ids_.erase(it);
        } else {
            ++it;
        }
    }
    if (menu_)
        adopt(menu_);
    ++revision_;
    Q_EMIT LayoutUpdated(revision_, rootId);
}

int DBusMenuAdaptor::idOf(const QAction* action) const
{
    // An address may come back for a new action after the old one was deleted.
    const auto it = ids_.constFind(action);
    if (it == ids_.constEnd() || actions_.value(it.value()) != action)
        return -1;
    return it.value();
}

bool DBusMenuAdaptor::isKnown(int id) const
{
    return id == rootId || !actions_.value(id).isNull();
}

QList<QAction*> DBusMenuAdaptor::childrenOf(int id) const
{
    if (id == rootId)
        return menu_ ? menu_->actions() : QList<QAction*>{};
    QAction* action = actions_.value(id);
    return action && action->menu() ? action->menu()->actions() : QList<QAction*>{};
}

QVariantMap DBusMenuAdaptor::propertiesOf(int id) const
{
    QVariantMap p;
    if (id == rootId) {
        p.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
        return p;
    }
    const QAction* action = actions_.value(id);
    if (!action)
        return p;
    p.insert(QStringLiteral("visible"), action->isVisible());
    if (action->isSeparator()) {
        p.insert(QStringLiteral("type"), QStringLiteral("separator"));
        return p;
    }
    p.insert(QStringLiteral("label"), dbusLabel(action->text()));
    p.insert(QStringLiteral("enabled"), action->isEnabled());
    if (!action->shortcut().isEmpty())
        p.insert(QStringLiteral("shortcut"), QVariant::fromValue(dbusShortcut(action->shortcut())));
    if (action->isCheckable()) {
        const bool radio = action->actionGroup() && action->actionGroup()->isExclusive();
        p.insert(QStringLiteral("toggle-type"),
                 radio ? QStringLiteral("radio") : QStringLiteral("checkmark"));
        p.insert(QStringLiteral("toggle-state"), action->isChecked() ? 1 : 0);
    }
    if (action->menu())
        p.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    return p;
}

DBusMenuLayoutItem DBusMenuAdaptor::layoutOf(int id, int depth, const QStringList& names) const
{
    DBusMenuLayoutItem item;
    item.id = id;
    item.properties = filtered(propertiesOf(id), names);
    if (depth == 0)
        return item;
    for (QAction* child : childrenOf(id)) {
        const int childId = idOf(child);
        if (childId >= 0)
            item.children.append(layoutOf(childId, depth < 0 ? depth : depth - 1, names));
    }
    return item;
}

void DBusMenuAdaptor::actionChanged(QAction* action)
{
    const int id = idOf(action);
    if (id < 0)
        return;
    const QVariantMap now = propertiesOf(id);
    const QVariantMap before = published_.value(id);
    if (now == before)
        return;
    QVariantMap changed;
    for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
        if (before.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    QStringList removed;
    for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
        if (!now.contains(it.key()))
            removed << it.key();
    }
    published_.insert(id, now);
    DBusMenuItemList updated;
    if (!changed.isEmpty())
        updated.append(DBusMenuItem{id, changed});
    DBusMenuItemKeysList gone;
    if (!removed.isEmpty())
        gone.append(DBusMenuItemKeys{id, removed});
    Q_EMIT ItemsPropertiesUpdated(updated, gone);
}

void DBusMenuAdaptor::refuse(const QDBusMessage& message, const QString& text) const
{
    message.setDelayedReply(true);
    bus_.send(message.createErrorReply(QDBusError::InvalidArgs, text));
}

uint DBusMenuAdaptor::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                const QDBusMessage& message, DBusMenuLayoutItem& layout)
{
    if (!isKnown(parentId)) {
        refuse(message, QStringLiteral("No menu entry with id %1").arg(parentId));
        return 0;
    }
    layout = layoutOf(parentId, recursionDepth, propertyNames);
    return revision_;
}

DBusMenuItemList DBusMenuAdaptor::GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames)
{
    QList<int> wanted = ids;
    if (wanted.isEmpty()) {
        wanted.append(rootId);
        wanted.append(actions_.keys());
    }
    DBusMenuItemList out;
    // Entries the panel still remembers from an older layout are left out.
    for (int id : std::as_const(wanted)) {
        if (isKnown(id))
            out.append(DBusMenuItem{id, filtered(propertiesOf(id), propertyNames)});
    }
    return out;
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString& name, const QDBusMessage& message)
{
    if (!isKnown(id)) {
        refuse(message, QStringLiteral("No menu entry with id %1").arg(id));
        return {};
    }
    const QVariantMap p = propertiesOf(id);
    const auto it = p.constFind(name);
    if (it == p.constEnd()) {
        refuse(message, QStringLiteral("Menu entry %1 has no property %2").arg(id).arg(name));
        return {};
    }
    return QDBusVariant(it.value());
}

void DBusMenuAdaptor::handleEvent(int id, const QString& eventId)
{
    if (eventId != QLatin1String("clicked"))
        return;  // opened, closed and hovered change nothing here
    QAction* action = actions_.value(id);
    if (!action || action->isSeparator() || action->menu() || !action->isEnabled() || !action->isVisible())
        return;
    // After the reply: the action may open windows or quit.
    QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
}

void DBusMenuAdaptor::Event(int id, const QString& eventId, const QDBusVariant&, uint,
                            const QDBusMessage& message)
{
    if (!isKnown(id)) {
        refuse(message, QStringLiteral("No menu entry with id %1").arg(id));
        return;
    }
    handleEvent(id, eventId);
}

QList<int> DBusMenuAdaptor::EventGroup(const DBusMenuEventList& events, const QDBusMessage& message)
{
    QList<int> idErrors;
    for (const DBusMenuEvent& e : events) {
        if (isKnown(e.id))
            handleEvent(e.id, e.eventId);
        else
            idErrors.append(e.id);
    }
    if (!events.isEmpty() && idErrors.size() == events.size())
        refuse(message, QStringLiteral("None of the menu entries exists"));
    return idErrors;
}

bool DBusMenuAdaptor::AboutToShow(int id, const QDBusMessage& message)
{
    if (!isKnown(id))
        refuse(message, QStringLiteral("No menu entry with id %1").arg(id));
    // The menu is complete before it opens; it is replaced, not filled in.
    return false;
}

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
{
    idErrors.clear();
    for (int id : ids) {
        if (!isKnown(id))
            idErrors.append(id);
    }
    return {};
}
