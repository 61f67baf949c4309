# Dialogs and the new-file wizard. Their widget-free logic (file contents and names, the
# assembler executable check, number format choice) sits in a small core library of its own.

add_library(kodrill_settings_formcore STATIC
  NewAgentFiles.cpp
  FormPrefsLogic.cpp
)
target_link_libraries(kodrill_settings_formcore PUBLIC kodrill_settings kodrill_highlight kodrill_platform Qt6::Core)

add_library(kodrill_settings_ui STATIC
  ColorCombo.cpp
  FormRadioGroup.cpp
  ProcessorCombo.cpp
  FormGlobalPrefs.cpp
  FormProjectPrefs.cpp
  FormNewAgent.cpp
)
target_link_libraries(kodrill_settings_ui PUBLIC
  kodrill_settings_formcore kodrill_settings kodrill_editor_ui kodrill_highlight kodrill_platform_ui Qt6::Widgets)
