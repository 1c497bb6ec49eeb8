#include "analytics/Purchases.h"

#include "analytics/Analytics.h"
#include "analytics/TrialConversionTracker.h"

namespace analytics {

Parameters Transaction::purchaseParameters() const {
  Parameters p{{QStringLiteral("Analytics.Purchase.type"),
                subscriptionGroupID ? QStringLiteral("subscription") : QStringLiteral("one-time-purchase")},
               {QStringLiteral("Analytics.Purchase.countryCode"), storefrontCountryCode},
               {QStringLiteral("Analytics.Purchase.productID"), productID}};
  if (currency) p.insert(QStringLiteral("Analytics.Purchase.currencyCode"), *currency);
  return p;
}

double Transaction::priceInUSD() const {
  const double p = price.value_or(0.0);
  if (!currency) return 0;
  if (*currency == QLatin1String("USD")) return p;
  const std::optional<double> rate = oneUSDExchangeRate(*currency);
  return rate ? p / *rate : 0;
}

bool Transaction::isFreeTrial() const {
  return offerType == OfferType::introductory && offerPaymentMode == PaymentMode::freeTrial;
}

namespace Analytics {

void purchaseCompleted(const Transaction& transaction, const Parameters& parameters,
                       const std::optional<QString>& customUserID) {
  Parameters merged = transaction.purchaseParameters();
  merged.insert(parameters);
  const bool trialStart = transaction.productType == Transaction::ProductType::autoRenewable &&
                          transaction.offerType == Transaction::OfferType::introductory &&
                          transaction.price.value_or(0.0) == 0.0;
  if (!trialStart) {
    internalSignal(QStringLiteral("Analytics.Purchase.completed"), merged, transaction.priceInUSD(), customUserID);
    return;
  }
  internalSignal(QStringLiteral("Analytics.Purchase.freeTrialStarted"), merged, std::nullopt, customUserID);
  TrialConversionTracker& tracker = TrialConversionTracker::shared();
  tracker.setCurrentTrial(TrialConversionTracker::StoredTrial{transaction.productID, transaction.originalID});
  tracker.startObservingTransactions();
}

}  // namespace Analytics

}  // namespace analytics
