#pragma once

#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

template <typename Signature> class TNEMethod;

// A "method": an object bound to one of its member functions (or a plain function without an object). Copyable
// and comparable: two methods are the same when they name the same function of the same instance, which is what
// observers, action handlers and events rely on to find and remove a registration.
template <typename Result, typename... Args> class TNEMethod<Result(Args...)>
{
public:
    TNEMethod() = default;

    template <typename Class>
    TNEMethod(Class* Instance, Result (Class::*Member)(Args...)) : Instance_(Instance), Invoke_(&InvokeMember<Class>)
    {
        StoreCode(Member);
    }

    template <typename Class>
    TNEMethod(const Class* Instance, Result (Class::*Member)(Args...) const)
        : Instance_(const_cast<Class*>(Instance)), Invoke_(&InvokeConstMember<Class>)
    {
        StoreCode(Member);
    }

    explicit TNEMethod(Result (*Function)(Args...)) : Invoke_(&InvokeFunction) { StoreCode(Function); }

    Result operator()(Args... Arguments) const { return Invoke_(Instance_, Code_, std::forward<Args>(Arguments)...); }

    explicit operator bool() const { return Invoke_ != nullptr; }
    const void* Instance() const { return Instance_; }

    friend bool operator==(const TNEMethod& Left, const TNEMethod& Right)
    {
        return Left.Instance_ == Right.Instance_ && Left.Invoke_ == Right.Invoke_ &&
               std::memcmp(Left.Code_, Right.Code_, sizeof(Code_)) == 0;
    }

private:
    // Large enough for a member function pointer of the common ABIs (two machine words).
    using CodeStorage = unsigned char[2 * sizeof(void*)];
    using Invoker = Result (*)(void*, const CodeStorage&, Args...);

    template <typename Code> void StoreCode(Code code)
    {
        static_assert(sizeof(Code) <= sizeof(CodeStorage) && alignof(Code) <= alignof(void*) &&
                      std::is_trivially_copyable_v<Code>);
        new (Code_) Code(code);
    }

    template <typename Code> static Code LoadCode(const CodeStorage& storage)
    {
        return *std::launder(reinterpret_cast<const Code*>(storage));
    }

    // GCC cannot see that a stored member pointer is not virtual and warns that the vtable read it would need
    // lies outside a small object; the call itself is sound.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
    template <typename Class> static Result InvokeMember(void* instance, const CodeStorage& storage, Args... arguments)
    {
        const auto member = LoadCode<Result (Class::*)(Args...)>(storage);
        return (static_cast<Class*>(instance)->*member)(std::forward<Args>(arguments)...);
    }

    template <typename Class>
    static Result InvokeConstMember(void* instance, const CodeStorage& storage, Args... arguments)
    {
        const auto member = LoadCode<Result (Class::*)(Args...) const>(storage);
        return (static_cast<const Class*>(instance)->*member)(std::forward<Args>(arguments)...);
    }

#pragma GCC diagnostic pop

    static Result InvokeFunction(void*, const CodeStorage& storage, Args... arguments)
    {
        return LoadCode<Result (*)(Args...)>(storage)(std::forward<Args>(arguments)...);
    }

    void* Instance_ = nullptr;
    Invoker Invoke_ = nullptr;
    alignas(void*) CodeStorage Code_ = {};
};

// True when both methods name the same function bound to the same instance.
template <typename Signature> bool SameMethod(const TNEMethod<Signature>& Left, const TNEMethod<Signature>& Right)
{
    return Left == Right;
}
