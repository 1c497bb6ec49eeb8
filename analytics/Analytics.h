#pragma once
#include <QSet>
#include <QString>
#include <memory>
#include <optional>

#include "analytics/AnalyticsConfiguration.h"
#include "analytics/AnalyticsManager.h"
#include "analytics/ClientStore.h"

// The analytics client's door: initialise once, then send signals. Nothing
// here throws or blocks: bad names and keys are logged and still sent; a
// disabled client, or one not initialised, drops signals silently.
namespace analytics::Analytics {

// Builds the running client over `config`, replacing any earlier one; a
// second call for the same application keeps the running client (its queue
// and file) and takes the new configuration.
void initialize(ConfigurationPtr config, AnalyticsManager::Environment environment = {});
// Writes what is pending and forgets the running client.
void terminate();

// The public entry: the configuration's prefixes, then the reserved-name warnings.
void signal(const QString& name, const Parameters& parameters = {}, std::optional<double> floatValue = std::nullopt,
            const std::optional<QString>& customUserID = std::nullopt);
// The entry of the client's own "Analytics." signals: no name prefix, no name checks.
void internalSignal(const QString& name, const Parameters& parameters = {},
                    std::optional<double> floatValue = std::nullopt,
                    const std::optional<QString>& customUserID = std::nullopt);

// An early send, at most one per transmit interval.
void requestImmediateSync();
void generateNewSession();
void updateDefaultUserID(const std::optional<QString>& user);
// The client's store; none while no client runs.
std::shared_ptr<ClientStore> customDefaults();

// The 25 payload names a signal or key must not use, lower-cased.
const QSet<QString>& reservedKeysLowercased();

}  // namespace analytics::Analytics
