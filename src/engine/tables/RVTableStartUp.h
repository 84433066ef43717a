#pragma once
// Start-up of the tables library: registers the table item kind with the item-type registry so
// that readers of the native format create tables by kind number. Idempotent; every main calls it
// after RegisterBuiltInItemTypes().

void RegisterTables();
