// The exported functions; filled in with the library object.
