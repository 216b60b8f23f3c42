#pragma once

// Containers of objects with iterators that stay valid while the container changes.
//
// Design: the containers and iterators are templates on the item type (TNESplayContainer<TNERow>,
// TNEObjectContainer<TNEActionButton>), so rows, rowsets, merger items and Qt widgets go in and come out as their
// own class, with no common root class and no casts at the call sites. An owning container destroys its items
// through Item*, so a polymorphic item needs a virtual destructor (checked at compile time). What does not depend
// on the item type is compiled once: the lock, the change announcements and the observation point
// (TNEContainerBase), the block size rule of the arrays, and the splay tree itself, which holds untyped elements
// and is cast back in exactly one place. Iterators register through TNEContainerWatch, which forgets the container
// when it announces its destruction, so an iterator may outlive its container. No operation recurses over the depth
// of a tree.

#include "foundation/NContainBase.h"     // IWYU pragma: export
#include "foundation/NObjectContainer.h" // IWYU pragma: export
#include "foundation/NSplayContainer.h"  // IWYU pragma: export
