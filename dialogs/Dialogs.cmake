# The dialogs opened from the main window.
#   qel_dialogs_logic  what the dialogs do (enabling rules, which record calls
#                      in which order, what they do to the main window);
#                      plain C++, tested headless
#   qel_dialogs        the dialog windows (Qt Widgets) over that logic
set(qel_dialogs_dir ${CMAKE_CURRENT_LIST_DIR})

if(TARGET qel_records AND TARGET qel_settings AND TARGET qel_platform)
    add_library(qel_dialogs_logic STATIC
        ${qel_dialogs_dir}/CatalogueLogic.cpp
        ${qel_dialogs_dir}/ChoiceList.cpp
        ${qel_dialogs_dir}/MessageLogic.cpp
        ${qel_dialogs_dir}/PickerLogic.cpp
        ${qel_dialogs_dir}/SettingsLogic.cpp
        ${qel_dialogs_dir}/TextLimits.cpp
        ${qel_dialogs_dir}/UsersLogic.cpp)
    target_include_directories(qel_dialogs_logic PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(qel_dialogs_logic PUBLIC qel_records qel_settings qel_platform qel_util)

    if(Qt6_FOUND)
        add_library(qel_dialogs STATIC
            ${qel_dialogs_dir}/WidgetAdapters.cpp
            ${qel_dialogs_dir}/QelDialog.cpp
            ${qel_dialogs_dir}/Settings.cpp
            ${qel_dialogs_dir}/QelMessages.cpp
            ${qel_dialogs_dir}/QelMessageInBox.cpp
            ${qel_dialogs_dir}/QelStatuses.cpp
            ${qel_dialogs_dir}/QelUsers.cpp
            ${qel_dialogs_dir}/SelectStatus.cpp
            ${qel_dialogs_dir}/SelectDepartment.cpp
            ${qel_dialogs_dir}/QelComments.cpp)
        set_target_properties(qel_dialogs PROPERTIES AUTOMOC ON)
        target_include_directories(qel_dialogs PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(qel_dialogs PUBLIC qel_dialogs_logic Qt6::Widgets)
    endif()
endif()
