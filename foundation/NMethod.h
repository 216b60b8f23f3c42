#pragma once

#include <memory>
#include <type_traits>
#include <utility>

template <typename Signature> class TNEMethod;

// A "method": an object bound to one of its member functions (or a plain function without an object). Copyable
// and comparable: two methods are the same when they name the same function of the same instance, which is what
// observers, action handlers and events rely on to find and remove a registration.
//
// The identity of a method is its instance and its function. The function is held as a pointer of its own type by
// a small immutable object that the copies of a method share; two functions are the same when they are of the same
// kind and their pointers compare equal, so nothing depends on how a compiler lays member pointers out.
template <typename Result, typename... Args> class TNEMethod<Result(Args...)>
{
public:
    TNEMethod() = default;

    template <typename Class>
    TNEMethod(Class* Instance, Result (Class::*Member)(Args...))
        : Instance_(Instance), Function_(std::make_shared<TMember<Class, Result (Class::*)(Args...)>>(Member))
    {}

    template <typename Class>
    TNEMethod(const Class* Instance, Result (Class::*Member)(Args...) const)
        : Instance_(const_cast<Class*>(Instance)),
          Function_(std::make_shared<TMember<const Class, Result (Class::*)(Args...) const>>(Member))
    {}

    explicit TNEMethod(Result (*Function)(Args...)) : Function_(std::make_shared<TPlainFunction>(Function)) {}

    Result operator()(Args... Arguments) const { return Function_->Call(Instance_, std::forward<Args>(Arguments)...); }

    explicit operator bool() const { return Function_ != nullptr; }
    const void* Instance() const { return Instance_; }

    friend bool operator==(const TNEMethod& Left, const TNEMethod& Right)
    {
        if (Left.Instance_ != Right.Instance_)
            return false;
        if (Left.Function_ == Right.Function_)
            return true;
        return Left.Function_ && Right.Function_ && Left.Function_->IsSame(*Right.Function_);
    }

private:
    class TFunction
    {
    public:
        virtual ~TFunction() = default;
        virtual Result Call(void* Instance, Args... Arguments) const = 0;
        // The same kind of function (a member of the same class, or a plain function) and an equal pointer.
        virtual bool IsSame(const TFunction& Other) const = 0;
    };

    // Pointer is a member function pointer of Class, or a plain function pointer when Class is void.
    template <typename Class, typename Pointer> class TMember final : public TFunction
    {
    public:
        explicit TMember(Pointer Function) : Function_(Function) {}

        Result Call(void* Instance, Args... Arguments) const override
        {
            if constexpr (std::is_void_v<Class>)
                return Function_(std::forward<Args>(Arguments)...);
            else
                return (static_cast<Class*>(Instance)->*Function_)(std::forward<Args>(Arguments)...);
        }

        bool IsSame(const TFunction& Other) const override
        {
            const auto* other = dynamic_cast<const TMember*>(&Other);
            return other && other->Function_ == Function_;
        }

    private:
        Pointer Function_;
    };
    using TPlainFunction = TMember<void, Result (*)(Args...)>;

    void* Instance_ = nullptr;
    std::shared_ptr<const TFunction> Function_;
};

// True when both methods name the same function bound to the same instance.
template <typename Signature> bool SameMethod(const TNEMethod<Signature>& Left, const TNEMethod<Signature>& Right)
{
    return Left == Right;
}
