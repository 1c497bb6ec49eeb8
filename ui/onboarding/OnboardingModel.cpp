#include "ui/onboarding/OnboardingModel.h"

OnboardingModel::OnboardingModel(bool permission, QObject* parent) : QObject(parent), permission_(permission) {}

void OnboardingModel::setConflict(bool conflict) {
  if (conflict == conflict_) return;
  conflict_ = conflict;
  emit conflictChanged(conflict);
  emit changed();
}

void OnboardingModel::setPermission(bool permission) {
  if (permission == permission_) return;
  permission_ = permission;
  emit permissionChanged(permission);
  emit changed();
}
