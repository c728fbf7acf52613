#include "cli/OptionsJson.h"

void WriteOptionsFields(JsonWriter &json, const TRegOptions &options)
{
    json.Key("DefaultFolder").Value(options.DefaultFolder)
        .Key("EnableFileLimit").Value(options.EnableFileLimit)
        .Key("FileMaxSize").Value(options.FileMaxSize)
        .Key("FileMinSize").Value(options.FileMinSize)
        .Key("SeekDeep").Value(options.SeekDeep)
        .Key("AutoShutDown").Value(options.AutoShutDown)
        .Key("UseProxyServer").Value(options.UseProxyServer)
        .Key("ProxyServerAddr").Value(options.ProxyServerAddr)
        .Key("ProxyServerPort").Value(options.ProxyServerPort)
        .Key("ProxyLoginUserName").Value(options.ProxyLoginUserName)
        .Key("ProxyLoginPassword").Value(options.ProxyLoginPassword)
        .Key("DefaultLogFolder").Value(options.DefaultLogFolder)
        .Key("AutoSaveLog").Value(options.AutoSaveLog)
        .Key("FileMasks").Value(options.FileMasks)
        .Key("ExcludeFiles").Value(options.ExcludeFiles);
    json.Key("Scheme").BeginObject()
        .Key("SchemeType").Value(int(options.Scheme.SchemeType))
        .Key("SchemeCount").Value(options.Scheme.SchemeCount)
        .Key("SchemeStartDate").Value(options.Scheme.SchemeStartDate)
        .Key("SchemeStartTime").Value(options.Scheme.SchemeStartTime)
        .EndObject();
    json.Key("NeedToLogin").Value(options.NeedToLogin)
        .Key("LoginUserName").Value(options.LoginUserName)
        .Key("LoginPassword").Value(options.LoginPassword);
}

void WriteOptions(JsonWriter &json, const TRegOptions &options)
{
    json.BeginObject();
    WriteOptionsFields(json, options);
    json.EndObject();
}
