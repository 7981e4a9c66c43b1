#pragma once
// A call of a function object that the caller keeps alive for the call's length: it holds
// the object's address and allocates nothing, so that work handed on this way can be
// passed where memory may have run out (core/OperationGuard.h).

#include <memory>
#include <type_traits>
#include <utility>

namespace corvia {

template <class Signature>
class FunctionRef;

template <class R, class... Args>
class FunctionRef<R(Args...)> {
 public:
  template <class F, std::enable_if_t<!std::is_same_v<std::decay_t<F>, FunctionRef> &&
                                          std::is_invocable_r_v<R, std::remove_reference_t<F>&, Args...>,
                                      int> = 0>
  FunctionRef(F&& function) noexcept  // NOLINT: made from any function object, as std::function is
      : mObject(const_cast<void*>(static_cast<const void*>(std::addressof(function)))),
        mCall([](void* object, Args... args) -> R {
          return static_cast<R>((*static_cast<std::remove_reference_t<F>*>(object))(std::forward<Args>(args)...));
        }) {}

  R operator()(Args... args) const { return mCall(mObject, std::forward<Args>(args)...); }

 private:
  void* mObject;
  R (*mCall)(void*, Args...);
};

}  // namespace corvia
