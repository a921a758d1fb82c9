# The release's version: the programs' version resources, the installer and the versions it
# records for the installed component files all take it from here.
set(QV_VERSION_MAJOR 5)
set(QV_VERSION_MINOR 1)
set(QV_VERSION_RELEASE 0)
set(QV_VERSION_TEXT "${QV_VERSION_MAJOR}.${QV_VERSION_MINOR}.${QV_VERSION_RELEASE}")
# What the About window and the version resource show as the product's version.
set(QV_PRODUCT_VERSION_TEXT "${QV_VERSION_MAJOR}.${QV_VERSION_MINOR}")
