#include "services/http_client.h"

#include "platform/module_loader.h"

#include <QLoggingCategory>
#include <QStringList>

namespace {
Q_LOGGING_CATEGORY(lcNetwork, "lumora.network", QtInfoMsg)

constexpr char kModuleFile[] = "lumora-network.so";

struct Loaded {
    QStringList paths = modules::installedPaths(QString::fromLatin1(kModuleFile));
    std::unique_ptr<HttpClient> client;
    bool tried = false;
};

Loaded& loaded()
{
    static Loaded state;
    return state;
}
}  // namespace

namespace http {

HttpClient* client()
{
    Loaded& state = loaded();
    if (state.tried)
        return state.client.get();
    state.tried = true;
    QStringList problems;
    const auto create = reinterpret_cast<CreateHttpClient>(
        modules::entryPoint(state.paths, "lumora_network_create", QString::fromLatin1(kModuleFile), problems));
    if (create) {
        state.client.reset(create());
        if (!state.client)
            problems.append(QStringLiteral("the module made no client"));
    }
    if (!state.client)
        qCWarning(lcNetwork).noquote() << "the network module could not be loaded ("
                                              + problems.join(QStringLiteral("; "))
                                              + "); update checks and the install report are off";
    return state.client.get();
}

void useModuleAt(const QStringList& paths)
{
    Loaded& state = loaded();
    state.paths = paths;
    state.client.reset();
    state.tried = false;
}

}  // namespace http
