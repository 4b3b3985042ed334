// Removed once the core has its first real source file.
