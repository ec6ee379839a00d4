#pragma once

// Makes AdminPWDConfirm ask through the administrator-password screen; called once at start-up.
void InstallAdminPasswordPrompt();
