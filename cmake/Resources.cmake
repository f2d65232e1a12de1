# Embedding of Windows-style resources (version block, skin archive, icons) into executables.
