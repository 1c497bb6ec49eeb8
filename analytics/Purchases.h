#pragma once
#include <QString>
#include <optional>

#include "analytics/AnalyticsConfiguration.h"
#include "analytics/Scheduler.h"

// Purchases made through a store, reported as signals with their price in US
// dollars. Analytics only: nothing here grants, blocks or finishes one.
namespace analytics {

// What the signals need of one store transaction.
struct Transaction {
  enum class ProductType { consumable, nonConsumable, nonRenewable, autoRenewable };
  enum class OfferType { introductory, promotional, code, winBack };
  enum class PaymentMode { freeTrial, payAsYouGo, payUpFront };

  QString productID;
  quint64 originalID = 0;
  ProductType productType = ProductType::nonConsumable;
  std::optional<OfferType> offerType;
  std::optional<PaymentMode> offerPaymentMode;
  std::optional<double> price;
  std::optional<QString> currency;  // ISO 4217 code
  QString storefrontCountryCode;
  std::optional<QString> subscriptionGroupID;
  std::optional<TimePoint> revocationDate;
  std::optional<TimePoint> expirationDate;
  bool isUpgraded = false;

  // Type, country, product and (when known) currency, under "Analytics.Purchase." keys.
  Parameters purchaseParameters() const;
  // The price divided by the units one dollar buys; 0 for no currency or an unknown one.
  double priceInUSD() const;
  // An introductory offer paid as a free trial.
  bool isFreeTrial() const;
};

// The units of each currency one US dollar buys, fixed when the client was built.
std::optional<double> oneUSDExchangeRate(const QString& currencyCode);
int exchangeRateCount();

namespace Analytics {

// "Analytics.Purchase.completed", or "Analytics.Purchase.freeTrialStarted"
// for an auto-renewable introductory offer at no price, whose conversion is
// then followed.
void purchaseCompleted(const Transaction& transaction, const Parameters& parameters = {},
                       const std::optional<QString>& customUserID = std::nullopt);

}  // namespace Analytics

}  // namespace analytics
