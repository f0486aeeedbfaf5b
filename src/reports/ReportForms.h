#pragma once
// Registers the report forms of this folder in the class registry, so the
// main form's Reports menu opens them by class name instead of placeholders.
// Called once at start-up.
void registerReportForms();
