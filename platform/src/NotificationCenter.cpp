#include "platform/NotificationCenter.h"

#include <algorithm>

namespace vimbrel {

NotificationCenter::Token NotificationCenter::addObserver(const void* owner, std::string name,
                                                          Observer observer) {
  std::lock_guard lock(mutex_);
  const Token token = next_++;
  registrations_.push_back({token, owner, std::move(name), std::move(observer)});
  return token;
}

void NotificationCenter::removeObserver(Token token) {
  std::lock_guard lock(mutex_);
  std::erase_if(registrations_, [&](const Registration& r) { return r.token == token; });
}

void NotificationCenter::removeObserver(const void* owner) {
  std::lock_guard lock(mutex_);
  std::erase_if(registrations_, [&](const Registration& r) { return r.owner == owner; });
}

bool NotificationCenter::isRegistered(Token token) const {
  std::lock_guard lock(mutex_);
  return std::any_of(registrations_.begin(), registrations_.end(),
                     [&](const Registration& r) { return r.token == token; });
}

void NotificationCenter::post(const std::string& name) {
  // Observers may add or remove registrations (or post again) while they
  // run, so the list is copied and the lock is not held during the calls.
  std::vector<std::pair<Token, Observer>> due;
  {
    std::lock_guard lock(mutex_);
    for (const Registration& r : registrations_) {
      if (r.name == name) due.emplace_back(r.token, r.observer);
    }
  }
  for (auto& [token, observer] : due) {
    if (isRegistered(token)) observer();
  }
}

std::size_t NotificationCenter::observerCount(const std::string& name) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(
      std::count_if(registrations_.begin(), registrations_.end(),
                    [&](const Registration& r) { return r.name == name; }));
}

}  // namespace vimbrel
