#include "FileListHelpers.h"

#include "RowListModel.h"

bool IsInFileList(const RowListModel &list, const QString &path)
{
    return list.texts().contains(path, Qt::CaseSensitive);
}
