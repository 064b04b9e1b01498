#pragma once
#include <QString>
#include <cstdint>

// One side of a job. Field names are the task list file's element names.
struct JobSide {
    int32_t DeviceType = 0;  // 1 local folder, 3 FTP directory
    QString FolerAllName;    // local path, or a RemoteAddress ("ftp://", "ftps://", "sftp://")
    int32_t validate = 0;
    QString UserName;
    QString PWD;             // plain text, as stored in the task list
    int32_t ActiveMode = 0;
    int32_t FactTime = 0;
    QString PrivateKey;

    bool operator==(const JobSide &) const = default;
};
