#pragma once

class QString;
class RowListModel;

// True when some row of the list holds exactly this text. The comparison is binary, so paths that
// differ only in letter case are different rows. The folder test and the path normalisation that
// go with it are files::IsFolder and paths::RemoveDoubleBackslashes.
bool IsInFileList(const RowListModel &list, const QString &path);
